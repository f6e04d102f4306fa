#!/usr/bin/env bash
# Runs a Windows test program under Wine on a virtual serial line.
#
# A pty pair (socat) stands in for the cable: the module's end is mapped to
# COM3 and COM12, the display's end to COM4, in a private Wine prefix under
# build/. The program runs in a fresh temporary folder and gets the module's
# path in Windows form as its first argument.
#
# With KESMARD_DRAIN_LINE=1 the display's end is read and discarded
# throughout, so that a program that never reads it never backs the line up.
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
socat_pid=
drain_pid=
cleanup() {
    [ -n "$drain_pid" ] && kill "$drain_pid" 2>/dev/null || true
    [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

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

socat pty,raw,echo=0,link="$work/module-end" pty,raw,echo=0,link="$work/display-end" \
    2>"$work/socat.log" &
socat_pid=$!
for _ in $(seq 100); do
    [ -e "$work/module-end" ] && [ -e "$work/display-end" ] && break
    sleep 0.05
done
module_end=$(readlink -f "$work/module-end")
display_end=$(readlink -f "$work/display-end")
ln -sfn "$module_end" "$WINEPREFIX/dosdevices/com3"
ln -sfn "$module_end" "$WINEPREFIX/dosdevices/com12"
ln -sfn "$display_end" "$WINEPREFIX/dosdevices/com4"
if [ "${KESMARD_DRAIN_LINE:-0}" = 1 ]; then
    cat "$display_end" >/dev/null &
    drain_pid=$!
fi

cd "$work"
status=0
wine "$program" "Z:${module//\//\\}" "$@" 2>"$work/wine-stderr.log" || status=$?
exit "$status"
