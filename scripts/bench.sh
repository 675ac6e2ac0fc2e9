#!/usr/bin/env bash
# The speed table on a fresh machine: installs what is missing, builds the
# benchmark with the native preset (RelWithDebInfo) and runs it on the large
# model (8 meshes x 65,536 vertices x 131,072 triangles, 128 bones, ~96 MB as
# QEV): export and import beside their raw I/O and host-call floors, 1 bone
# against 256, the importer's own heap; 31 rounds of each, interleaved at
# random. Ends with a Markdown table and the targets; the full results go to
# build/native/bench.json. Takes about half a minute.
# Extra arguments go to qev_bench (e.g. --vertices=4096 for a quick look).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target qev_bench >/dev/null

build/native/bin/qev_bench --benchmark_out=build/native/bench.json --benchmark_out_format=json "$@"
