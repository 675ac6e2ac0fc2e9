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
# qev convert reads and writes glTF with tinygltf; its tests run the Khronos
# validator, an npm package, under Node.js. The qev viewer is bundled with npm
# packages at build time; its browser test and qev preview run Debian's
# Chromium (with a font for the page's text). Debian's nodejs and npm only
# where they are missing: a newer Node.js brings its own npm, which Debian's
# npm package conflicts with.
packages+=(libtinygltf-dev)
[ $want_native = 1 ] && packages+=(chromium fonts-dejavu-core)
if [ $want_native = 1 ] && ! { command -v node && command -v npm; } >/dev/null 2>&1; then
  packages+=(nodejs npm)
fi
[ $want_fuzz = 1 ] && packages+=(clang libclang-rt-14-dev)
# The Windows test program builds GoogleTest from its sources with the cross
# compiler; qevhost.exe uses the header-only JSON library.
[ $want_windows = 1 ] && packages+=(cmake g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest nlohmann-json3-dev
                                    qemu-user wine wine32:i386)

need_arch=0
if [ $want_windows = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_arch=1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

# npm packages pinned in package.json and package-lock.json (the glTF validator
# and the viewer's tools): installed into node_modules when it is missing or
# older than the lock file. npm ci replaces node_modules as a whole, so the
# block stays the same whoever needs the packages.
install_npm_packages() {
  [ $want_native = 1 ] || return 0
  local root
  root=$(cd "$(dirname "$0")/.." && pwd)
  if [ ! -d "$root/node_modules" ] || [ "$root/package-lock.json" -nt "$root/node_modules" ]; then
    echo "setup: npm ci"
    (cd "$root" && npm ci --no-audit --no-fund --loglevel=error && touch node_modules)
  fi
}

if [ $need_arch = 0 ] && [ ${#missing[@]} = 0 ]; then
  install_npm_packages
  exit 0
fi

# Installing needs root: directly, or through sudo where it exists. Without
# either, say exactly what root has to run rather than failing on "sudo: not
# found" halfway.
if [ "$(id -u)" = 0 ]; then
  as_root() { "$@"; }
elif command -v sudo >/dev/null 2>&1; then
  as_root() { sudo "$@"; }
else
  {
    echo "setup: packages are missing and this user can neither install them nor use sudo."
    echo "setup: as root, run:"
    [ $need_arch = 1 ] && echo "    dpkg --add-architecture i386"
    echo "    apt-get update && apt-get install -y ${missing[*]}"
    echo "setup: then run this command again."
  } >&2
  exit 1
fi

[ $need_arch = 1 ] && as_root dpkg --add-architecture i386
echo "setup: installing ${missing[*]}"
as_root apt-get update -q
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
install_npm_packages
