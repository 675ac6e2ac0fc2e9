#!/usr/bin/env bash
# The benchmark keeps building and running: a smoke run on a tiny model from
# the native build (seconds). Its figures mean nothing at this size; the run
# fails when preparing the files, the round trip or any measured call fails.
set -euo pipefail
cd "$(dirname "$0")/../.."

native_build=${QEV_NATIVE_BUILD:-build/native}
cmake --build "$native_build" --target qev_bench qev_convert_bench >/dev/null
"$native_build/bin/qev_bench" --meshes=2 --vertices=512 --bones=8 --rounds=2
"$native_build/bin/qev_convert_bench" --vertices=512 --rounds=1
