#!/usr/bin/env bash
# Packs the integrator's kit (the package target of the Windows build) and
# checks the zip: one folder named after the version, holding exactly the
# module, its two import libraries, header, export definition, the host console
# and the guide, with the module and console the same files as in dist/.
#
# Usage: check_kit.sh WIN32-BUILD-FOLDER
set -euo pipefail
build=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The version the tests expect, not the build's: a wrong one is caught.
version=$(sed -n 's/^#define EXPECTED_VERSION "\(.*\)"$/\1/p' "$root/tests/e2e/display_bytes.h")
kit=KESMARD-$version-win32
zip=$root/dist/$kit.zip

# A zip left from an earlier build must not stand in for the one packed now.
rm -f "$zip"
cmake --build "$build" --target package >/dev/null
[ -f "$zip" ] || { echo "FAILED: no $kit.zip packed"; exit 1; }
failed=0
expected=$(printf '%s\n' "$kit/" "$kit/INTEGRATION.txt" "$kit/KESMARD.def" "$kit/KESMARD.dll" \
    "$kit/KESMARD.h" "$kit/KESMARD.lib" "$kit/host_console.exe" "$kit/libKESMARD.dll.a")
listed=$(cmake -E tar tf "$zip" | sort)
if [ "$listed" != "$expected" ]; then
    printf 'FAILED: kit contents\n  expected:\n%s\n  got:\n%s\n' "$expected" "$listed"
    failed=1
fi

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
for file in KESMARD.dll host_console.exe; do
    cmp -s "$root/dist/$file" "$unpacked/$kit/$file" || { echo "FAILED: $file differs from dist/"; failed=1; }
done
cmp -s "$root/include/KESMARD.h" "$unpacked/$kit/KESMARD.h" || { echo "FAILED: header differs"; failed=1; }
[ "$failed" = 0 ] && echo "kit $kit.zip holds what it should"
exit "$failed"
