#!/usr/bin/env bash
# Fuzzes the glTF reading of qev convert for a chosen time with one worker.
# Usage: scripts/fuzz-gltf.sh [SECONDS] [extra libFuzzer flags...]   (default 600 s)
#
# Builds the glTF fuzzer of the `fuzz` preset (clang, libFuzzer, ASan, UBSan;
# tinygltf compiled in and instrumented), copies tests/fuzz/gltf_seeds into a
# scratch corpus under build/fuzz/, reads every input in tests/fuzz/gltf_regressions
# (findings once fixed) and fuzzes from the corpus with tests/fuzz/gltf.dict.
# Any finding stops the run with a non-zero status and leaves its input in
# build/fuzz/gltf-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true

cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target qev_gltf_fuzzer -j2

fuzzer=build/fuzz/bin/qev_gltf_fuzzer
scratch=build/fuzz/gltf-scratch
findings=build/fuzz/gltf-findings
rm -rf "$scratch"
mkdir -p "$scratch/corpus" "$findings"
cp tests/fuzz/gltf_seeds/* "$scratch/corpus/"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

limits=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048)
echo "fuzz-gltf: reading $(ls tests/fuzz/gltf_regressions | wc -l) regression inputs"
"$fuzzer" "${limits[@]}" tests/fuzz/gltf_regressions/*
cp tests/fuzz/gltf_regressions/* "$scratch/corpus/"

echo "fuzz-gltf: $seconds s from $(ls "$scratch/corpus" | wc -l) inputs"
"$fuzzer" "${limits[@]}" -max_len=16384 \
    -max_total_time="$seconds" -print_final_stats=1 \
    -dict=tests/fuzz/gltf.dict -artifact_prefix="$findings/" "$@" "$scratch/corpus"
