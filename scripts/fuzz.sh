#!/usr/bin/env bash
# Fuzzes the importer and qev's check for a chosen time with one worker:
# 7/11 of it the importer's target, 4/11 the check's (CI's 90 s: 58 s and 32 s).
# Usage: scripts/fuzz.sh [SECONDS] [extra libFuzzer flags...]   (default 600 s)
#
# Builds the `fuzz` preset (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), and for each target copies the stored seeds and
# regression inputs into a scratch corpus under build/fuzz/ (the repository is
# never written), runs every regression input once, then fuzzes from the corpus. Any
# finding (crash, sanitizer report, leak, a run over 10 s or over 2048 MB)
# stops the run with a non-zero status and leaves its input in
# build/fuzz/findings/; fix it and add the input to tests/fuzz/regressions/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2

scratch=build/fuzz/scratch
findings=build/fuzz/findings
rm -rf "$scratch"
mkdir -p "$findings"

limits=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

regressions=()
for input in tests/fuzz/regressions/*; do
    [ "$(basename "$input")" = README.md ] && continue
    regressions+=("$input")
done

# Two targets share the time: the importer (most of it) and qev's check,
# which reads through the importer too but adds the observer and the reports.
check_seconds=$((seconds * 4 / 11))
import_seconds=$((seconds - check_seconds))

run_fuzzer() {
    local name=$1 run_seconds=$2
    shift 2
    local fuzzer=build/fuzz/bin/$name corpus=$scratch/$name
    mkdir -p "$corpus"
    cp tests/fuzz/seeds/* "$corpus/"
    if [ ${#regressions[@]} -gt 0 ]; then
        echo "fuzz: $name on ${#regressions[@]} regression inputs"
        "$fuzzer" "${limits[@]}" "${regressions[@]}"
        cp "${regressions[@]}" "$corpus/"
    fi
    echo "fuzz: $name for $run_seconds s from $(ls "$corpus" | wc -l) inputs"
    "$fuzzer" "${limits[@]}" -max_total_time="$run_seconds" -print_final_stats=1 \
        -dict=tests/fuzz/qev.dict -artifact_prefix="$findings/$name-" "$@" "$corpus"
}

run_fuzzer qev_import_fuzzer "$import_seconds" "$@"
run_fuzzer qev_check_fuzzer "$check_seconds" "$@"
