#!/usr/bin/env bash
# Runs `make demo` as a user would, without a terminal, and checks what it
# shows: the final screen of the scene, the display's naming of the last
# escape runs, and the debug log it points to.
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh"
# Under `make test` the outer make's job server is no business of this one.
unset MAKEFLAGS MAKELEVEL MFLAGS
output=$(make -s -C "$root" demo 2>&1) || { echo "$output"; echo "FAILED: make demo exit status"; exit 1; }

for line in "  |    FRESH BAKERY    |" "  |Total          \$7.50|" \
            "cursor at column 1, row 1; 124 bytes; events: power resume, power resume, closing" \
            "debug log:  build/demo/logs/KESMARD.log"; do
    grep -qxF -- "$line" <<<"$output" || fail "no line \"$line\""
done
expect "saved screen" $'    FRESH BAKERY    \nTotal          $7.50' "$(cat "$root/build/demo/screen.txt")"
grep -qF 'Write Total          $7.50' "$root/build/demo/logs/KESMARD.log" || fail "the debug log lacks the last write"
[ "$failed" = 0 ] || echo "$output"
finish "make demo showed the expected scene"
