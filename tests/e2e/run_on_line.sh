#!/usr/bin/env bash
# Runs a Windows test program under Wine on a virtual serial line.
#
# A pty pair (socat) stands in for the cable: the module's end is mapped to
# COM3 and COM12, the display's end to COM4, in a private Wine prefix under
# build/ (tools/wine_line.sh). The program runs in a fresh temporary folder
# and gets the module's path in Windows form as its first argument.
#
# With KESMARD_DRAIN_LINE=1 the display's end is read and discarded
# throughout, so that a program that never reads it never backs the line up.
#
# Usage: run_on_line.sh PROGRAM.exe MODULE.dll [ARGUMENTS...]
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine_line.sh"
program=$(readlink -f "$1")
module=$(windows_path "$2")
shift 2

work=$(mktemp -d /tmp/kesmard-line.XXXXXX)
socat_pid=
drain_pid=
cleanup() {
    [ -n "$drain_pid" ] && kill "$drain_pid" 2>/dev/null || true
    [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null || true
    wine_stop
    rm -rf "$work"
}
trap cleanup EXIT

wine_start "$work/wineserver.log"
socat pty,raw,echo=0,link="$work/module-end" pty,raw,echo=0,link="$work/display-end" \
    2>"$work/socat.log" &
socat_pid=$!
wait_for_paths "$work/module-end" "$work/display-end"
module_end=$(readlink -f "$work/module-end")
display_end=$(readlink -f "$work/display-end")
wine_map_port com3 "$module_end"
wine_map_port com12 "$module_end"
wine_map_port com4 "$display_end"
if [ "${KESMARD_DRAIN_LINE:-0}" = 1 ]; then
    cat "$display_end" >/dev/null &
    drain_pid=$!
fi

cd "$work"
status=0
wine "$program" "$module" "$@" 2>"$work/wine-stderr.log" || status=$?
exit "$status"
