#!/usr/bin/env bash
# The Wine tests skip only where the kernel refuses to start a 32-bit
# program; Wine missing or failing in any other way fails them. Each case
# stands in a Wine that does not start, and a 32-bit loader that the kernel
# refuses (a program for another machine, refused as an i386 one is where
# the kernel cannot run it), that is missing, or that starts and fails.
# The 32-bit smoke run (KESMARD_I386_VIA_QEMU=1) goes the other way: it
# skips where the kernel starts the loader, and where it refuses, runs in a
# namespace whose i386 programs go to the QEMU named (here a stand-in that
# says so, for a stand-in i386 program), or fails without QEMU or without
# the namespace.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/runs" "$work/no_namespace"
printf '#!/bin/sh\necho "wine: broken" >&2\nexit 1\n' >"$work/wine"
printf '#!/bin/sh\n' >"$work/runs/wine"
printf '#!/bin/sh\necho "unshare: unshare failed: Operation not permitted" >&2\nexit 1\n' >"$work/no_namespace/unshare"
printf '#!/bin/sh\necho "through QEMU: $1"\n' >"$work/qemu"
printf '#!/usr/bin/env bash\nsource "%s/tools/common/wine_line.sh"\nwine_skip_unless_runs "$@"\n"%s/i386"\n' \
    "$root" "$work" >"$work/runner"
cp /bin/true "$work/foreign"
printf '\x28\x00' | dd of="$work/foreign" bs=1 seek=18 conv=notrunc 2>/dev/null  # e_machine: ARM
cp /bin/true "$work/i386"
printf '\x01' | dd of="$work/i386" bs=1 seek=4 conv=notrunc 2>/dev/null  # EI_CLASS: 32-bit
printf '\x03\x00' | dd of="$work/i386" bs=1 seek=18 conv=notrunc 2>/dev/null  # e_machine: i386
chmod +x "$work"/*/* "$work"/*

failed=0
check() {  # what, expected status, expected start of the output, the runner's environment
    local what=$1 expected_status=$2 expected=$3 out status=0
    shift 3
    out=$(env PATH="$work:$PATH" KESMARD_WINEARCH=win32 KESMARD_QEMU_I386="$work/qemu" "$@" "$work/runner" 2>&1) ||
        status=$?
    if [ "$status" != "$expected_status" ] || [[ $out != "$expected"* ]]; then
        printf 'FAILED: %s\n  expected status %s and "%s...", got status %s and "%s"\n' \
            "$what" "$expected_status" "$expected" "$status" "$out"
        failed=1
    fi
}
check "a kernel that refuses 32-bit programs skips" 0 "skipped: this machine's kernel cannot" \
    KESMARD_I386_PROBE="$work/foreign"
check "a 32-bit loader that starts and fails fails" 1 "FAILED: Wine does not start win32 programs: " \
    KESMARD_I386_PROBE=/bin/false
check "a missing 32-bit loader fails" 1 "FAILED: Wine does not start win32 programs: " \
    KESMARD_I386_PROBE="$work/missing"
check "the smoke run skips where the kernel starts 32-bit programs" 0 "skipped: this machine's kernel starts" \
    KESMARD_I386_VIA_QEMU=1 KESMARD_I386_PROBE=/bin/true
check "the smoke run sends 32-bit programs to QEMU where the kernel refuses them" 0 "through QEMU: $work/i386" \
    KESMARD_I386_VIA_QEMU=1 KESMARD_I386_PROBE="$work/foreign" PATH="$work/runs:$work:$PATH"
check "the smoke run fails without QEMU" 1 "FAILED: no $work/missing to run 32-bit programs" \
    KESMARD_I386_VIA_QEMU=1 KESMARD_I386_PROBE="$work/foreign" KESMARD_QEMU_I386="$work/missing"
check "the smoke run fails without the namespace" 1 "FAILED: cannot send 32-bit programs to QEMU in a private namespace: unshare: " \
    KESMARD_I386_VIA_QEMU=1 KESMARD_I386_PROBE="$work/foreign" PATH="$work/no_namespace:$work:$PATH"
[ "$failed" = 0 ] && echo "Wine tests skip only where the kernel refuses 32-bit programs; there the smoke run takes QEMU"
exit "$failed"
