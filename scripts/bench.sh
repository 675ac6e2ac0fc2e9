#!/usr/bin/env bash
# The speed table on a fresh machine: installs what is missing, builds the
# benchmark with the native preset (RelWithDebInfo) and runs it on the large
# model (8 meshes x 65,536 vertices x 131,072 triangles, 128 bones, ~96 MB as
# QEV): export and import beside their raw I/O and host-call floors, 1 bone
# against 256, the importer's own heap; 31 rounds of each, interleaved at
# random. Ends with a Markdown table and the targets; the full results go to
# build/native/bench.json. Then qev convert on the same model (QEV -> glb
# beside the plug-in import, glb -> QEV beside the plug-in export, peak memory
# of the qev process), 5 interleaved rounds, with its own table and targets.
# Takes about a minute.
# Extra arguments go to qev_bench (e.g. --vertices=4096 for a quick look).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target qev_bench qev_convert_bench >/dev/null

build/native/bin/qev_bench --benchmark_out=build/native/bench.json --benchmark_out_format=json "$@"
echo
echo "qev convert:"
# Its per-round lines go to build/native/convert-bench.txt; the table is printed.
build/native/bin/qev_convert_bench --rounds=5 >build/native/convert-bench.txt 2>&1 || status=$?
sed -n '/^model:/,$p' build/native/convert-bench.txt
exit "${status:-0}"
