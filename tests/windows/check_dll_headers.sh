#!/usr/bin/env bash
# Checks the shipped DLLs' headers: PE32 for i386, exactly CreatePlugIn at
# ordinal 1 and DestroyPlugIn at ordinal 2, exactly the expected imported DLLs,
# and that loading them runs nothing but the C runtime's own start-up code.
# Usage: check_dll_headers.sh BIN_DIR     prints one line per check; exit
# status 0 only when every check passed (a checker that dies fails too).
#
# What runs at load, and how it is found (objdump -p for the data directory,
# objdump -s for the words at an address, nm for the symbol table the linker
# keeps in the DLL):
# - TLS callbacks: entry 9 of the data directory (Thread Storage Directory)
#   locates the TLS directory; its fourth word is the address of the
#   zero-terminated callback list. MinGW-w64's DLL start-up code always
#   installs two, __dyn_tls_init and __dyn_tls_dtor; anything else fails.
#   __dyn_tls_init runs the thread-local initialisers listed between __xd_a
#   and __xd_z (sections .CRT$XD*): that list must be empty.
# - Static constructors and destructors: g++ lists them in .ctors/.dtors,
#   which the MinGW linker script places in .text between __CTOR_LIST__ (and
#   __DTOR_LIST__), a -1 word and a terminating 0. Only GCC's own start file
#   (crtbegin.o: _register_frame_ctor, _deregister_frame_dtor) may be there;
#   libstdc++'s set-up (such as its exception pool) must not.
# - Microsoft-style initialisers: the C++ list between __xc_a and __xc_z
#   (.CRT$XC*) must be empty; the C list between __xi_a and __xi_z (.CRT$XI*)
#   may hold only the C runtime's _pre_c_init.
set -uo pipefail
bin_dir=$1
objdump=i686-w64-mingw32-objdump
nm=i686-w64-mingw32-nm
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

# The 32-bit little-endian words from hex address VA on, COUNT of them, one
# per line as 8 hex digits. objdump -s prints the address, then up to four
# words as bytes in file order, then the characters: only the words are read.
words_at() {  # words_at dll va count
    local start=$((16#$2))
    "$objdump" -s --start-address=$start --stop-address=$((start + 4 * $3)) "$1" |
        awk '/^ [0-9a-f]+ / { line = substr($0, length($1) + 3, 35); n = split(line, w, " ");
                              for (i = 1; i <= n; i++) print w[i] }' |
        sed -E 's/^(..)(..)(..)(..)$/\4\3\2\1/'
}

symbols_of() { "$nm" "$1" | awk 'NF == 3 { print $1, $3 }'; }
address_of() { awk -v name="$2" '$2 == name { print $1; exit }' <<<"$1"; }
names_at() {  # names_at symbols address...: the symbol name at each address
    local address
    for address in "${@:2}"; do
        # A function's own name rather than its section's (".text.startup...").
        awk -v a="$address" '$1 == a && $2 !~ /^\./ { print $2; exit } $1 == a && !any { any = $2 }
                             END { print any ? any : "?" a }' <<<"$1" | head -n 1
    done
}
hex_add() { printf '%08x' $((16#$1 + $2)); }

# The non-zero words strictly between two marker symbols.
entries_between() {  # entries_between dll symbols first last
    local first last
    first=$(address_of "$2" "$3") last=$(address_of "$2" "$4")
    [ -n "$first" ] && [ -n "$last" ] || { echo missing; return; }
    local count=$(((16#$last - 16#$first) / 4 - 1))
    [ "$count" -gt 0 ] || return 0
    words_at "$1" "$(hex_add "$first" 4)" "$count" | grep -v '^00000000$'
}

# The words after a -1 word at the symbol, up to the terminating 0.
constructor_list() {  # constructor_list dll symbols symbol
    local at
    at=$(address_of "$2" "$3")
    [ -n "$at" ] || { echo missing; return; }
    words_at "$1" "$at" 64 | awk 'NR == 1 && $0 != "ffffffff" { print "unmarked"; exit }
                                  NR > 1 && $0 == "00000000" { exit } NR > 1 { print }'
}

# Lists as "name name ..." and compares with what is allowed.
only_allowed() {  # only_allowed "found names" allowed...
    local name
    for name in $1; do
        [[ " ${*:2} " == *" $name "* ]] || return 1
    done
}

check_load_time_code() {  # check_load_time_code file
    local dll="$bin_dir/$1" symbols
    symbols=$(symbols_of "$dll")
    if [ -z "$(address_of "$symbols" __CTOR_LIST__)" ]; then
        report FAIL "$1 runs no C++ runtime start-up code" "no symbol table to check"
        return
    fi
    local image_base tls_rva tls_size callbacks=""
    image_base=$("$objdump" -p "$dll" | awk '/^ImageBase/ { print $2 }')
    read -r tls_rva tls_size < <("$objdump" -p "$dll" | awk '/Thread Storage Directory/ { print $3, $4 }')
    if [ -n "$tls_rva" ] && [ "$((16#${tls_size:-0}))" -gt 0 ]; then
        local directory list
        directory=$(hex_add "$image_base" $((16#$tls_rva)))
        list=$(words_at "$dll" "$directory" 4 | sed -n 4p)
        callbacks=$(words_at "$dll" "$list" 16 | awk '$0 == "00000000" { exit } { print }')
        callbacks=$(names_at "$symbols" $callbacks | tr '\n' ' ')
    fi
    local thread_inits
    thread_inits=$(entries_between "$dll" "$symbols" ___xd_a ___xd_z | tr '\n' ' ')
    only_allowed "$callbacks" ___dyn_tls_init@12 ___dyn_tls_dtor@12 && [ -z "$thread_inits" ] \
        && report OK "$1 has no TLS callbacks beyond the C runtime's" \
        || report FAIL "$1 has no TLS callbacks beyond the C runtime's" \
                  "callbacks: ${callbacks:-none}; thread-local initialisers: ${thread_inits:-none}"

    local ctors dtors cxx_inits c_inits
    ctors=$(names_at "$symbols" $(constructor_list "$dll" "$symbols" __CTOR_LIST__) | tr '\n' ' ')
    dtors=$(names_at "$symbols" $(constructor_list "$dll" "$symbols" __DTOR_LIST__) | tr '\n' ' ')
    cxx_inits=$(entries_between "$dll" "$symbols" ___xc_a ___xc_z | tr '\n' ' ')
    c_inits=$(names_at "$symbols" $(entries_between "$dll" "$symbols" ___xi_a ___xi_z) | tr '\n' ' ')
    only_allowed "$ctors" _register_frame_ctor && only_allowed "$dtors" _deregister_frame_dtor \
        && [ -z "$cxx_inits" ] && only_allowed "$c_inits" _pre_c_init \
        && report OK "$1 runs no C++ runtime start-up code" \
        || report FAIL "$1 runs no C++ runtime start-up code" \
                  "constructors: ${ctors:-none}; destructors: ${dtors:-none}; .CRT\$XC: ${cxx_inits:-none}; .CRT\$XI: ${c_inits:-none}"
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
    check_load_time_code "$1"
}

check_dll msQevImporter.dll "comdlg32.dll kernel32.dll msmodellib.dll msvcrt.dll"
check_dll msQevExporter.dll "comdlg32.dll kernel32.dll msmodellib.dll msvcrt.dll user32.dll"
exit $((failures > 0))
