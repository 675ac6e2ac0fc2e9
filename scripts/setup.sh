#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, only what is missing.
# Usage: scripts/setup.sh [native] [fuzz] [windows]   (no argument: everything)
set -euo pipefail

want_native=0 want_fuzz=0 want_windows=0
[ $# -eq 0 ] && set -- native fuzz windows
for group in "$@"; do
  case "$group" in
    native) want_native=1 ;;
    fuzz) want_fuzz=1 ;;
    windows) want_windows=1 ;;
    *) echo "setup.sh: unknown group '$group' (native, fuzz, windows)" >&2; exit 2 ;;
  esac
done

packages=()
# Everything builds with the native toolchain first (the demo, the native tests).
packages+=(build-essential cmake libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev python3)
# The qev viewer is bundled with npm packages at build time; its browser test
# and qev preview run Debian's Chromium (with a font for the page's text).
# Node and npm only when missing: a Node from elsewhere (which brings its own
# npm and conflicts with Debian's) is left alone.
[ $want_native = 1 ] && packages+=(chromium fonts-dejavu-core)
[ $want_native = 1 ] && ! command -v node >/dev/null && packages+=(nodejs)
[ $want_native = 1 ] && ! command -v npm >/dev/null && packages+=(npm)
[ $want_fuzz = 1 ] && packages+=(clang libclang-rt-14-dev)
# The Windows test program builds GoogleTest from its sources with the cross
# compiler; qevhost.exe uses the header-only JSON library.
[ $want_windows = 1 ] && packages+=(cmake g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest nlohmann-json3-dev
                                    qemu-user wine wine32:i386)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

if [ $want_windows = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ "${need_update:-0}" = 1 ]; then
  if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
  fi
fi

# The npm packages pinned in package-lock.json (the viewer's three.js and
# bundler, the browser driver, the glTF validator), again whenever the lock
# file is newer than what was installed.
if [ $want_native = 1 ]; then
  repo=$(cd "$(dirname "$0")/.." && pwd)
  if [ ! -f "$repo/node_modules/.package-lock.json" ] || [ "$repo/package-lock.json" -nt "$repo/node_modules/.package-lock.json" ]; then
    echo "setup: npm ci"
    (cd "$repo" && npm ci --no-audit --no-fund)
  fi
fi
