#!/usr/bin/env bash
# Fuzzes the importer for a chosen time with one worker.
# Usage: scripts/fuzz.sh [SECONDS] [extra libFuzzer flags...]   (default 600 s)
#
# Builds the `fuzz` preset (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), copies the stored seeds and regression inputs
# into a scratch corpus under build/fuzz/ (the repository is never written),
# imports every regression input once, then fuzzes from the corpus. Any
# finding (crash, sanitizer report, leak, a run over 10 s or over 2048 MB)
# stops the run with a non-zero status and leaves its input in
# build/fuzz/findings/; fix it and add the input to tests/fuzz/regressions/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2

fuzzer=build/fuzz/bin/qev_import_fuzzer
scratch=build/fuzz/scratch
findings=build/fuzz/findings
rm -rf "$scratch"
mkdir -p "$scratch/corpus" "$findings"
cp tests/fuzz/seeds/* "$scratch/corpus/"

limits=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

regressions=()
for input in tests/fuzz/regressions/*; do
    [ "$(basename "$input")" = README.md ] && continue
    regressions+=("$input")
done
if [ ${#regressions[@]} -gt 0 ]; then
    echo "fuzz: importing ${#regressions[@]} regression inputs"
    "$fuzzer" "${limits[@]}" "${regressions[@]}"
    cp "${regressions[@]}" "$scratch/corpus/"
fi

echo "fuzz: $seconds s from $(ls "$scratch/corpus" | wc -l) inputs"
"$fuzzer" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -dict=tests/fuzz/qev.dict -artifact_prefix="$findings/" "$@" "$scratch/corpus"
