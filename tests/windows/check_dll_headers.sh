#!/usr/bin/env bash
# Checks the shipped DLLs' headers: PE32 for i386, exactly CreatePlugIn at
# ordinal 1 and DestroyPlugIn at ordinal 2, exactly the expected imported DLLs.
# Usage: check_dll_headers.sh BIN_DIR     prints one line per check
set -uo pipefail
bin_dir=$1
objdump=i686-w64-mingw32-objdump
failures=0

report() {  # report OK|FAIL what [detail]
    echo "$1: $2${3:+ ($3)}"
    [ "$1" = OK ] || failures=$((failures + 1))
}

# "ordinal name" per exported name: the name table lists each name with its
# index into the address table, counted from the ordinal base.
exports_of() {
    "$objdump" -p "$1" | awk '
        /^Ordinal Base/ { base = $3 }
        /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
        names && /^[ \t]*\[ *[0-9]+\]/ { gsub(/[\[\]]/, " "); print base + $1, $2; next }
        names && !/^[ \t]*\[/ { names = 0 }'
}

imports_of() {
    "$objdump" -p "$1" | awk '/DLL Name:/ { print tolower($3) }' | sort | tr '\n' ' ' | sed 's/ $//'
}

check_dll() {  # check_dll file expected-imports
    local dll="$bin_dir/$1" expected_imports=$2
    if [ ! -f "$dll" ]; then report FAIL "$1 exists"; return; fi
    local format magic exports imports
    format=$("$objdump" -f "$dll" | awk '/file format/ { print $NF }')
    magic=$("$objdump" -p "$dll" | awk '/^Magic/ { print $2 }')
    [ "$format" = pei-i386 ] && [ "$magic" = 010b ] \
        && report OK "$1 is PE32 for i386" || report FAIL "$1 is PE32 for i386" "format $format, magic $magic"
    exports=$(exports_of "$dll" | sort | tr '\n' ';')
    [ "$exports" = "1 CreatePlugIn;2 DestroyPlugIn;" ] \
        && report OK "$1 exports CreatePlugIn @1 and DestroyPlugIn @2 only" \
        || report FAIL "$1 exports CreatePlugIn @1 and DestroyPlugIn @2 only" "found: $exports"
    imports=$(imports_of "$dll")
    [ "$imports" = "$expected_imports" ] && report OK "$1 imports $imports" \
        || report FAIL "$1 imports $expected_imports" "found: $imports"
}

check_dll msQevImporter.dll "comdlg32.dll kernel32.dll msmodellib.dll msvcrt.dll"
check_dll msQevExporter.dll "comdlg32.dll kernel32.dll msmodellib.dll msvcrt.dll user32.dll"
exit $((failures > 0))
