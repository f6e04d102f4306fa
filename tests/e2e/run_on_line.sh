#!/usr/bin/env bash
# Runs a Windows test program under Wine on a virtual serial line.
#
# A pty pair (socat) stands in for the cable: the module's end is mapped to
# COM3 and COM12, the display's end to COM4, in a private Wine prefix under
# build/. The program runs in a fresh temporary folder and gets the module's
# path in Windows form as its first argument.
#
# The program may ask for the line to change while it runs (see line.h): it
# writes an action into the file "request" of the folder named by
# KESMARD_LINE_CONTROL; this script carries it out and answers in "done".
#   unplug  the pty pair vanishes and the COM links go, as when a USB
#           serial adapter is pulled
#   plug    a new pty pair, linked again to the same COM names
#   pause   the cable stops carrying bytes (socat stopped), so the line backs up
#   resume  it carries them again
#
# Usage: run_on_line.sh PROGRAM.exe MODULE.dll [ARGUMENTS...]
set -euo pipefail

program=$(readlink -f "$1")
module=$(readlink -f "$2")
shift 2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

export WINEPREFIX=${KESMARD_WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
unset DISPLAY

work=$(mktemp -d /tmp/kesmard-line.XXXXXX)
control=$work/control
mkdir "$control"
export KESMARD_LINE_CONTROL="Z:${control//\//\\}"
socat_pid=
wine_pid=

# A stopped socat would not see the TERM signal, so it is continued first.
unplug() {
    if [ -n "$socat_pid" ]; then
        kill -CONT "$socat_pid" 2>/dev/null || true
        kill "$socat_pid" 2>/dev/null || true
        wait "$socat_pid" 2>/dev/null || true
    fi
    socat_pid=
    rm -f "$WINEPREFIX/dosdevices/com3" "$WINEPREFIX/dosdevices/com12" \
        "$WINEPREFIX/dosdevices/com4" "$work/module-end" "$work/display-end"
}

plug() {
    socat pty,raw,echo=0,link="$work/module-end" pty,raw,echo=0,link="$work/display-end" \
        2>>"$work/socat.log" &
    socat_pid=$!
    for _ in $(seq 100); do
        [ -e "$work/module-end" ] && [ -e "$work/display-end" ] && break
        sleep 0.05
    done
    local module_end display_end
    module_end=$(readlink -f "$work/module-end")
    display_end=$(readlink -f "$work/display-end")
    ln -sfn "$module_end" "$WINEPREFIX/dosdevices/com3"
    ln -sfn "$module_end" "$WINEPREFIX/dosdevices/com12"
    ln -sfn "$display_end" "$WINEPREFIX/dosdevices/com4"
}

cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null || true
    unplug
    wineserver -k >/dev/null 2>&1 || true
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
        pause) kill -STOP "$socat_pid" 2>/dev/null || answer="no line to pause" ;;
        resume) kill -CONT "$socat_pid" 2>/dev/null || answer="no line to resume" ;;
        *) answer="unknown action $action" ;;
    esac
    echo "$answer" >"$control/done.tmp"
    mv "$control/done.tmp" "$control/done"
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "initialising the Wine prefix $WINEPREFIX"
    wineboot --init >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
    wineserver -w
fi

# Wine rewrites its COM links when it starts, so start it first and link
# after. The server may print long object dumps when a line vanishes or when
# it is stopped; they go to a file, out of the test output.
wineserver -p >"$work/wineserver.log" 2>&1
wine cmd /c exit >/dev/null 2>&1 || true
plug

cd "$work"
wine "$program" "Z:${module//\//\\}" "$@" 2>"$work/wine-stderr.log" &
wine_pid=$!
while kill -0 "$wine_pid" 2>/dev/null; do
    serve_request
    sleep 0.05
done
status=0
wait "$wine_pid" || status=$?
wine_pid=
exit "$status"
