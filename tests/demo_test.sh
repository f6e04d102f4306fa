#!/usr/bin/env bash
# Runs `make demo` as a user would, without a terminal, and checks what it
# shows: the final screen of the scene, the display's naming of the last
# escape runs, and the debug log it points to.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Under `make test` the outer make's job server is no business of this one.
unset MAKEFLAGS MAKELEVEL MFLAGS

output=$(make -s -C "$root" demo 2>&1) || { echo "$output"; echo "FAILED: make demo exit status"; exit 1; }

failed=0
expect_line() {  # what, the exact line
    if ! grep -qxF -- "$2" <<<"$output"; then
        printf 'FAILED: %s\n  expected the line: %s\n' "$1" "$2"
        failed=1
    fi
}
expect_line "final screen, row 1" "  |    FRESH BAKERY    |"
expect_line "final screen, row 2" "  |Total          \$7.50|"
expect_line "the last frame names resume and closing" \
    "cursor at column 1, row 1; 124 bytes; events: power resume, power resume, closing"
expect_line "where the debug log is" "debug log:  build/demo/logs/KESMARD.log"

expected_screen=$'    FRESH BAKERY    \nTotal          $7.50'
if [ "$(cat "$root/build/demo/screen.txt")" != "$expected_screen" ]; then
    printf 'FAILED: saved screen\n'
    cat "$root/build/demo/screen.txt"
    failed=1
fi
if ! grep -qF 'Write Total          $7.50' "$root/build/demo/logs/KESMARD.log"; then
    echo "FAILED: the debug log holds the last write"
    failed=1
fi
[ "$failed" = 0 ] && echo "make demo showed the expected scene" || echo "$output"
exit "$failed"
