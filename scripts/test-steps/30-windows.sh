#!/usr/bin/env bash
# The shipped 32-bit Windows DLLs: build them, check their headers, drive them
# under Wine as the host does, and compare their results with the native
# build's, which this step makes afresh (in build/native, or QEV_NATIVE_BUILD).
set -euo pipefail
cd "$(dirname "$0")/../.."

native_build=${QEV_NATIVE_BUILD:-build/native}
passed=0 failed=0
count() {  # count OK|FAIL what
    echo "$1: $2"
    if [ "$1" = OK ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
}

cmake --workflow --preset windows

# The checker's exit status decides; its lines are counted for the summary.
# A checker that stops before printing a failure still fails the step.
set +e
headers=$(bash tests/windows/check_dll_headers.sh build/windows/bin)
headers_status=$?
set -e
echo "$headers"
passed=$((passed + $(grep -c '^OK:' <<<"$headers" || true)))
header_failures=$(grep -c '^FAIL:' <<<"$headers" || true)
failed=$((failed + header_failures))
if [ "$headers_status" != 0 ] && [ "$header_failures" = 0 ]; then
    count FAIL "DLL header check ended with status $headers_status"
elif [ "$headers_status" = 0 ] && [ "$header_failures" != 0 ]; then
    count FAIL "DLL header check reported failures but ended with status 0"
fi

# The native half of the comparison, made now: results left by an earlier
# native run could be stale.
[ -f "$native_build/CMakeCache.txt" ] || cmake --preset native -B "$native_build"
cmake --build "$native_build" --target windows_scenario_native_tests
rm -rf "$native_build/windows-scenario"
if "$native_build/bin/windows_scenario_native_tests" >"$native_build/windows_scenario_native_tests.log" 2>&1; then
    count OK "native scenario results made"
else
    cat "$native_build/windows_scenario_native_tests.log"
    count FAIL "native scenario results made"
fi

source scripts/wine-env.sh
if ! qev_wine_prepare build/windows; then
    count FAIL "32-bit Wine runs on this machine"
    echo "windows: $passed passed, $failed failed"
    exit 1
fi
rm -rf "$WINEPREFIX" build/windows/windows-scenario
# One Wine process: it makes the prefix, then runs every Windows test. Under
# qemu-i386 making the prefix alone takes minutes, hence the generous limit.
log=build/windows/windows_plugin_tests.log
set +e
timeout 1800 wine build/windows/bin/windows_plugin_tests.exe </dev/null >"$log" 2>&1
wine_status=$?
set -e
# Services Wine started for the new prefix may still be busy (for minutes under
# qemu); they belong to this prefix only, and its server ends them.
wineserver -k 2>/dev/null || true
tr -d '\r' <"$log"
gtest_passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log")
gtest_failed=$(sed -n 's/^ *\([0-9]*\) FAILED TESTS\?.*/\1/p' "$log")
passed=$((passed + ${gtest_passed:-0}))
failed=$((failed + ${gtest_failed:-0}))
if [ "$wine_status" != 0 ] && [ -z "$gtest_failed" ]; then
    count FAIL "windows_plugin_tests.exe under Wine ended with status $wine_status"
fi

for result in export.qev import-dump.txt; do
    native=$native_build/windows-scenario/$result
    windows=build/windows/windows-scenario/$result
    if [ ! -f "$native" ]; then
        count FAIL "$result: no native result"
    elif [ ! -f "$windows" ]; then
        count FAIL "$result: no result from the DLLs under Wine"
    elif cmp "$native" "$windows"; then
        count OK "$result from the DLLs equals the native build's"
    else
        count FAIL "$result from the DLLs differs from the native build's"
    fi
done

echo "windows: $passed passed, $failed failed"
[ "$failed" = 0 ]
