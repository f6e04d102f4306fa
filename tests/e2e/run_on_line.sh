#!/usr/bin/env bash
# Runs a Windows test program under Wine on a virtual serial line.
#
# A pty pair (socat) stands in for the cable: the module's end is mapped to
# COM3 and COM12, the display's end to COM4, in a private Wine prefix under
# build/ (tools/common/wine_line.sh). The program runs in a fresh temporary
# folder and gets the module's path in Windows form as its first argument.
#
# With KESMARD_DRAIN_LINE=1 the display's end is read and discarded
# throughout, so that a program that never reads it never backs the line up.
#
# The program may ask for the line to change while it runs (see line.h): it
# writes an action into the file "request" of the folder named by
# KESMARD_LINE_CONTROL; this script carries it out and answers in "done".
#   unplug  the pty pair vanishes and the COM links go, as when a USB
#           serial adapter is pulled
#   plug    a new pty pair, linked again to the same COM names
#   plug_non_port  COM3 names a device that is no serial port (/dev/null)
#   pause   the cable stops carrying bytes (socat stopped), so the line backs up
#   resume  it carries them again
#
# Usage: run_on_line.sh PROGRAM.exe MODULE.dll [ARGUMENTS...]
# The Windows build tree puts it in front of its test programs
# (CMAKE_CROSSCOMPILING_EMULATOR), each test naming the module it loads.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common/wine_line.sh"
wine_skip_unless_runs
program=$(readlink -f "$1")
module=$(windows_path "$2")
shift 2

work=$(mktemp -d /tmp/kesmard-line.XXXXXX)
control=$work/control
mkdir "$control"
export KESMARD_LINE_CONTROL="Z:${control//\//\\}"
socat_pid=
drain_pid=
wine_pid=

# A stopped socat would not see the TERM signal, so it is continued first.
unplug() {
    [ -n "$drain_pid" ] && kill "$drain_pid" 2>/dev/null || true
    if [ -n "$socat_pid" ]; then
        kill -CONT "$socat_pid" 2>/dev/null || true
        kill "$socat_pid" 2>/dev/null || true
        wait "$socat_pid" 2>/dev/null || true
    fi
    drain_pid=
    socat_pid=
    wine_unmap_port com3
    wine_unmap_port com12
    wine_unmap_port com4
    rm -f "$work/module-end" "$work/display-end"
}

plug() {
    socat pty,raw,echo=0,link="$work/module-end" pty,raw,echo=0,link="$work/display-end" \
        2>>"$work/socat.log" &
    socat_pid=$!
    wait_for_paths "$work/module-end" "$work/display-end"
    local module_end display_end
    module_end=$(readlink -f "$work/module-end")
    display_end=$(readlink -f "$work/display-end")
    wine_map_port com3 "$module_end"
    wine_map_port com12 "$module_end"
    wine_map_port com4 "$display_end"
    if [ "${KESMARD_DRAIN_LINE:-0}" = 1 ]; then
        cat "$display_end" >/dev/null &
        drain_pid=$!
    fi
}

cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null || true
    unplug
    wine_stop
    rm -rf "$work"
}
trap cleanup EXIT

# Carries out a waiting request, if any, and answers it.
serve_request() {
    [ -e "$control/request" ] || return 0
    local action answer=ok
    action=$(cat "$control/request")
    rm -f "$control/request"
    case $action in
        unplug) unplug ;;
        plug) unplug; plug ;;
        plug_non_port) unplug; wine_map_port com3 /dev/null ;;
        pause) kill -STOP "$socat_pid" 2>/dev/null || answer="no line to pause" ;;
        resume) kill -CONT "$socat_pid" 2>/dev/null || answer="no line to resume" ;;
        *) answer="unknown action $action" ;;
    esac
    echo "$answer" >"$control/done.tmp"
    mv "$control/done.tmp" "$control/done"
}

wine_start "$work/wineserver.log"
plug

cd "$work"
wine "$program" "$module" "$@" 2>"$work/wine-stderr.log" &
wine_pid=$!
while kill -0 "$wine_pid" 2>/dev/null; do
    serve_request
    sleep 0.05
done
status=0
wait "$wine_pid" || status=$?
wine_pid=
exit "$status"
