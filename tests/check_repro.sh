#!/usr/bin/env bash
# Checks that the Windows build is reproducible: copies the sources to
# WORK/src, builds and packs them there in a clean build folder of their
# own, and compares the module, the host console and the kit's zip byte for
# byte with those of the first build (the same paths under the copy). The caller passes the first
# build's SOURCE_DATE_EPOCH, so that both pack with the same time whatever
# git says of the copy.
#
# Usage: check_repro.sh WORK MODULE.dll CONSOLE.exe KIT.zip -- CONFIGURE-OPTIONS...
set -euo pipefail
work=$1
files=("$2" "$3" "$4")
shift 5
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

rm -rf "$work"
mkdir -p "$work/src"
tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$work/src" -xf -
if ! { cmake -S "$work/src" -B "$work/build" "$@" &&
       cmake --build "$work/build" -j "$(nproc)" &&
       cmake --build "$work/build" --target package; } >"$work/build.log" 2>&1; then
    cat "$work/build.log"
    echo "FAILED: the second build"
    exit 1
fi

failed=0
for file in "${files[@]}"; do
    cmp "$file" "$work/src/${file#"$root"/}" || { echo "FAILED: $(basename "$file") differs"; failed=1; }
done
[ "$failed" = 0 ] && echo "a second build in another folder gave the same bytes"
exit "$failed"
