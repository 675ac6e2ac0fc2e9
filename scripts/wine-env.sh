# Wine for the Windows tests, sourced by the test step:
#   source scripts/wine-env.sh && qev_wine_prepare BUILD_DIR
# Makes sure 32-bit programs run (qemu-i386 through binfmt_misc where the
# kernel cannot run them itself) and sets the environment for a Wine prefix of
# its own under BUILD_DIR.

qev_as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# The 32-bit Wine loader prints its version without starting anything else:
# whether it runs is the question of whether i386 programs run at all.
qev_i386_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# Kernels without IA-32 emulation run i386 programs through qemu-i386. The F
# flag opens the emulator once at registration, so it serves every mount
# namespace. A machine that runs them already is left as it is.
qev_ensure_i386() {
    if qev_i386_runs; then return 0; fi
    local binfmt=/proc/sys/fs/binfmt_misc
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    local rule=":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:F"
    if [ "$(id -u)" != 0 ] && ! command -v sudo >/dev/null 2>&1; then
        echo "wine-env: 32-bit programs do not run here; registering qemu-i386 for them needs root, and sudo is not installed. As root, run:" >&2
        [ -e "$binfmt/register" ] || echo "    mount -t binfmt_misc binfmt_misc $binfmt" >&2
        echo "    printf '%s' '$rule' > $binfmt/register" >&2
        return 1
    fi
    if [ ! -e "$binfmt/register" ]; then
        echo "wine-env: mounting binfmt_misc"
        qev_as_root mount -t binfmt_misc binfmt_misc "$binfmt"
    fi
    if [ ! -e "$binfmt/qemu-i386" ]; then
        echo "wine-env: registering /usr/bin/qemu-i386 for i386 ELF programs"
        printf '%s' "$rule" | qev_as_root tee "$binfmt/register" >/dev/null
    fi
    if ! qev_i386_runs; then
        echo "wine-env: 32-bit programs still do not run (is qemu-user installed?)" >&2
        return 1
    fi
}

# Whether i386 programs run through the qemu-i386 registration.
qev_i386_through_qemu() {
    local entry=/proc/sys/fs/binfmt_misc/qemu-i386
    [ -e "$entry" ] && head -n 1 "$entry" | grep -qx enabled
}

# Under qemu-i386, Wine's fixed mappings need scripts/qemu-mmap-noreplace.c
# (why: see there). QEMU_SET_ENV hands LD_PRELOAD to the 32-bit side only, in
# every process Wine starts.
qev_wine_under_qemu() {
    local shim="$1/qemu-mmap-noreplace.so" source
    source="$(dirname "${BASH_SOURCE[0]}")/qemu-mmap-noreplace.c"
    if [ ! -f "$shim" ] || [ "$source" -nt "$shim" ]; then
        gcc -m32 -shared -nostdlib -fPIC -O2 -fno-stack-protector -o "$shim" "$source" || return 1
    fi
    export QEMU_SET_ENV="LD_PRELOAD=$shim"
}

qev_wine_prepare() {
    local build_dir
    build_dir=$(cd "$1" && pwd)
    qev_ensure_i386 || return 1
    if qev_i386_through_qemu; then
        echo "wine-env: 32-bit programs run under qemu-i386"
        qev_wine_under_qemu "$build_dir" || return 1
    fi
    export WINEPREFIX="$build_dir/wineprefix"
    export WINEARCH=win32
    export WINEDEBUG=-all
    # Our comdlg32.dll from the program's folder instead of Wine's; no prompts
    # to install Mono or Gecko and no desktop menus while the prefix is made
    # (each extra process costs much under qemu).
    export WINEDLLOVERRIDES="comdlg32=n;mscoree,mshtml=;winemenubuilder.exe=d"
    # No display: nothing may open a window.
    unset DISPLAY WAYLAND_DISPLAY
}
