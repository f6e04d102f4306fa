#!/usr/bin/env bash
# Checks that the Windows build is reproducible: builds and packs a copy of
# the sources in WORK/src, in a build folder of its own, and compares the
# module, the host console and the kit's zip with the first build's byte for
# byte. The caller passes the first build's SOURCE_DATE_EPOCH, so that both
# pack with the same time whatever git says of the copy.
#
# Usage: check_repro.sh WORK MODULE.dll CONSOLE.exe KIT.zip -- CONFIGURE-OPTIONS...
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh"
work=$1
files=("$2" "$3" "$4")
shift 5
rm -rf "$work"
mkdir -p "$work/src"
tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$work/src" -xf -
{ cmake -S "$work/src" -B "$work/build" "$@" && cmake --build "$work/build" -j2 &&
  cmake --build "$work/build" --target package; } >"$work/build.log" 2>&1 ||
    { cat "$work/build.log"; echo "FAILED: the second build"; exit 1; }
for file in "${files[@]}"; do
    cmp "$file" "$work/src/${file#"$root"/}" || fail "$(basename "$file") differs"
done
finish "a second build in another folder gave the same bytes"
