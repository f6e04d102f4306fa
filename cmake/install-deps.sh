#!/usr/bin/env bash
# Installs what the build ("build"), the native tree ("native"), the kits
# ("dist"), the demo ("demo"), the tests ("test") or the aarch64 Linux tree
# ("linux-arm64") need on a Debian machine, and nothing when it is all
# there already. Needs root (or sudo) only when something is missing.
set -euo pipefail

# Both Windows machines: the module's own i686, and x86_64 for 64-bit hosts.
# llvm-dlltool (llvm, also the sanitizers' symbolizer) makes the MSVC import
# library; clang and lld-link build the kit hosts that link with it as an
# MSVC-compatible toolchain would.
packages=(make cmake gcc-mingw-w64-i686 g++-mingw-w64-i686 binutils-mingw-w64-i686
          gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 llvm clang lld)
case "${1:-build}" in
    # The native build, which makes the library and the Linux kit, configures
    # the unit tests too, so it wants GoogleTest.
    native|dist) packages+=(g++ libgtest-dev googletest) ;;
    demo) packages+=(g++ libgtest-dev googletest wine wine32:i386 wine64) ;;
    # The sanitizer build and the fuzz targets want libFuzzer besides; the
    # kit check compiles the language guide's C# and Pascal declarations,
    # and the bindings' test runs them, and the Python module, against
    # libKESMARD.so; wine64 runs the 64-bit module's tests, in a prefix of
    # their own; qemu-user-static runs the 32-bit module's smoke test where
    # the kernel cannot start 32-bit programs.
    test) packages+=(g++ libgtest-dev googletest wine wine32:i386 wine64 socat
                     libclang-rt-14-dev mono-mcs mono-runtime fp-compiler python3
                     qemu-user-static)
          # npm installs the npm package for its tests, with Debian's Node.js
          # where the machine has none of its own.
          command -v npm >/dev/null || packages+=(nodejs npm) ;;
    # The aarch64 Linux tree (preset linux-arm64): Debian's cross compiler,
    # and QEMU user mode and socat's line for its tests.
    linux-arm64) packages+=(g++-aarch64-linux-gnu qemu-user-static socat) ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
# Wine runs the 32-bit module through the i386 architecture's packages.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
