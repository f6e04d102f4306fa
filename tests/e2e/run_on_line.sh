#!/usr/bin/env bash
# Runs a Windows test program under Wine, or a Linux one natively, on a
# virtual serial line.
#
# A pty pair (socat) stands in for the cable: the module's end is mapped to
# COM3 and COM12, the display's end to COM4, in a private Wine prefix under
# build/ (tools/common/wine_line.sh). The program runs in a fresh temporary
# folder and gets the module's path in Windows form as its first argument.
#
# A second pty pair is the control port, COM5: the program writes an action
# and a line feed there, and this script answers "ok" (or what went wrong)
# once it has
#   unplug  made the line's pty pair and its COM names vanish, as when a
#           USB serial adapter is pulled
#   plug    made a new pair, linked again to the same COM names
#   plug_non_port  pulled the line and made COM3 name a device that is
#           no serial port (/dev/null).
#
# A Linux program (no .exe) runs without Wine: the same line's ends are
# the links $work/module-end and $work/display-end, named to it in
# KESMARD_MODULE_END and KESMARD_DISPLAY_END, the control port's in
# KESMARD_CONTROL; plug_non_port links module-end to /dev/null. A program
# for another machine starts through the emulator KESMARD_EMULATOR names,
# a command and its options (qemu-aarch64-static -L /usr/aarch64-linux-gnu).
#
# With KESMARD_I386_VIA_QEMU=1 a 32-bit program runs through QEMU where the
# kernel refuses 32-bit programs, the whole run in a private namespace
# (tools/common/wine_line.sh), and skips elsewhere.
#
# With KESMARD_DRAIN_LINE=1 the display's end is read and discarded
# throughout, for a program that never reads it (the benchmark).
#
# A program that ends in failure has its standard error (Wine's with it)
# shown after its output.
#
# Usage: run_on_line.sh PROGRAM[.exe] MODULE [ARGUMENTS...]
# The Windows build tree puts it in front of its test programs
# (CMAKE_CROSSCOMPILING_EMULATOR), each test naming the module it loads.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common/wine_line.sh"
program=$(readlink -f "$1")
if [[ $program == *.exe ]]; then
    wine_skip_unless_runs "$@"
    module=$(windows_path "$2")
    wine=wine
    emulator=()
else
    module=$(readlink -f "$2")
    # Natively the COM names are not there: mapping them does nothing.
    wine_map_port() { :; }
    wine_unmap_port() { :; }
    wine=
    emulator=(${KESMARD_EMULATOR:-})
fi
shift 2

work=$(mktemp -d /tmp/kesmard-line.XXXXXX)
line_pid=
control_pid=
wine_pid=

unplug() {
    if [ -n "$line_pid" ]; then
        kill "$line_pid" 2>/dev/null || true
        wait "$line_pid" 2>/dev/null || true
    fi
    line_pid=
    wine_unmap_port com3
    wine_unmap_port com12
    wine_unmap_port com4
    rm -f "$work/module-end" "$work/display-end"
}

# A new pty pair (its socat is $!), its ends linked as $work/$1 and $work/$2.
pty_pair() {
    socat pty,raw,echo=0,link="$work/$1" pty,raw,echo=0,link="$work/$2" 2>>"$work/socat.log" &
    wait_for_paths "$work/$1" "$work/$2"
}

plug() {
    pty_pair module-end display-end
    line_pid=$!
    # Natively the module's end starts cooked, as a serial port does.
    [ -n "$wine" ] || stty -F "$work/module-end" sane
    wine_map_port com3 "$(readlink -f "$work/module-end")"
    wine_map_port com12 "$(readlink -f "$work/module-end")"
    wine_map_port com4 "$(readlink -f "$work/display-end")"
    if [ "${KESMARD_DRAIN_LINE:-0}" = 1 ]; then
        cat "$work/display-end" >/dev/null &
    fi
}

cleanup() {
    [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null || true
    [ -n "$control_pid" ] && kill "$control_pid" 2>/dev/null || true
    unplug
    wine_unmap_port com5
    [ -z "$wine" ] || wine_stop
    rm -rf "$work"
}
trap cleanup EXIT

[ -z "$wine" ] || wine_start "$work/wineserver.log"
plug
pty_pair control-program control-runner
control_pid=$!
wine_map_port com5 "$(readlink -f "$work/control-program")"
exec 3<>"$work/control-runner"

cd "$work"
KESMARD_MODULE_END=$work/module-end KESMARD_DISPLAY_END=$work/display-end \
    KESMARD_CONTROL=$work/control-program $wine "${emulator[@]}" "$program" "$module" "$@" 2>"$work/wine-stderr.log" &
wine_pid=$!
# A read that times out within a line keeps what it has read: the rest of
# the action follows.
pending=
while kill -0 "$wine_pid" 2>/dev/null; do
    if ! read -r -t 0.1 part <&3; then
        pending+=$part
        continue
    fi
    action=$pending$part
    pending=
    case $action in
        unplug) unplug ;;
        plug) unplug; plug ;;
        plug_non_port) unplug; wine_map_port com3 /dev/null; [ -n "$wine" ] || ln -s /dev/null module-end ;;
        *) echo "unknown action $action" >&3; continue ;;
    esac
    echo ok >&3
done
status=0
wait "$wine_pid" || status=$?
wine_pid=
if [ "$status" != 0 ] && [ -s "$work/wine-stderr.log" ]; then
    echo "Standard error, its last 60 lines:"
    tail -n 60 "$work/wine-stderr.log"
fi
exit "$status"
