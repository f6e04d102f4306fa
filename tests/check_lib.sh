# Sourced by the check scripts: a failed check says what it expected and
# what it got, and the script ends with status 1 after running the rest.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
failed=0
fail() {
    echo "FAILED: $*"
    failed=1
}
expect() {  # what, expected, got
    [ "$2" = "$3" ] || fail "$(printf '%s\n  expected: %s\n  got:      %s' "$1" "$2" "$3")"
}
expect_set() {  # what, expected and got as words or lines: shows the difference
    expect "$1 (< missing, > extra)" "" "$(diff <(xargs -n1 <<<"$2" | sort) <(xargs -n1 <<<"$3" | sort) | grep '^[<>]' | xargs)"
}
finish() {  # what a pass means
    [ "$failed" = 0 ] && echo "$1"
    exit "$failed"
}
