#!/usr/bin/env bash
# The Wine tests skip only where the kernel refuses to start a 32-bit
# program; Wine missing or failing in any other way fails them. Each case
# stands in a Wine that does not start, and a 32-bit loader that the kernel
# refuses (a program for another machine, refused as an i386 one is where
# the kernel cannot run it), that is missing, or that starts and fails.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#!/bin/sh\necho "wine: broken" >&2\nexit 1\n' >"$work/wine"
cp /bin/true "$work/foreign"
printf '\x28\x00' | dd of="$work/foreign" bs=1 seek=18 conv=notrunc 2>/dev/null  # e_machine: ARM
chmod +x "$work/wine" "$work/foreign"

failed=0
check() {  # what, expected status, expected start of the output, 32-bit loader
    local out status=0
    out=$(PATH="$work:$PATH" KESMARD_WINEARCH=win32 KESMARD_I386_PROBE=$4 bash -c \
          'source "$1/tools/common/wine_line.sh"; wine_skip_unless_runs; echo ran' _ "$root" 2>&1) ||
        status=$?
    if [ "$status" != "$2" ] || [[ $out != "$3"* ]]; then
        printf 'FAILED: %s\n  expected status %s and "%s...", got status %s and "%s"\n' "$1" "$2" "$3" "$status" "$out"
        failed=1
    fi
}
check "a kernel that refuses 32-bit programs skips" 0 "skipped: this machine's kernel" "$work/foreign"
check "a 32-bit loader that starts and fails fails" 1 "FAILED: Wine does not start win32 programs: " /bin/false
check "a missing 32-bit loader fails" 1 "FAILED: Wine does not start win32 programs: " "$work/missing"
[ "$failed" = 0 ] && echo "Wine tests skip only where the kernel refuses 32-bit programs"
exit "$failed"
