#!/usr/bin/env bash
# The demo behind `make demo`: the host console loads KESMARD.dll under Wine
# and plays tools/demo/demo_scene.txt on COM3, which a private Wine prefix
# maps to the virtual display's pseudo-terminal. The display draws its
# screen as it changes (in place on a terminal, one frame per change
# elsewhere); at the end come the console's transcript, the final screen and
# where the debug log is. Everything started here is stopped on exit, also
# on Ctrl-C.
#
# Expects the build to be done (make demo does it first).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common/wine_line.sh"
console=$wine_root/dist/host_console.exe
# A kernel that cannot start 32-bit programs gets the 64-bit module, built
# from the same sources.
if ! wine_runs; then
    export KESMARD_WINEARCH=win64
    source "$wine_root/tools/common/wine_line.sh"
    console=$wine_root/dist/x64/host_console.exe
    echo "this machine cannot run 32-bit programs: the demo uses the 64-bit module"
fi

work=$wine_root/build/demo
display=$wine_root/dist/linux-x86_64/virtual_display
scene=$wine_root/tools/demo/demo_scene.txt

display_pid=
stop_display() {
    [ -n "$display_pid" ] || return 0
    kill -TERM "$display_pid" 2>/dev/null || true
    wait "$display_pid" 2>/dev/null || true
    display_pid=
}
cleanup() {
    stop_display
    rm -f "$WINEPREFIX/dosdevices/com3"
    wine_stop
}
trap cleanup EXIT
trap 'echo; echo "demo interrupted"; exit 130' INT TERM

rm -rf "$work"
mkdir -p "$work"
wine_start "$work/wineserver.log"
# Said before the display starts drawing, since a live drawing redraws
# the lines below it.
echo "host console: $(basename "$console") --script $(basename "$scene"), KESMARD.dll on COM3"
"$display" --size 20x2 --link "$work/display-line" \
    --save-screen "$work/screen.txt" --save-trace "$work/trace.txt" &
display_pid=$!
wait_for_paths "$work/display-line"
wine_map_port com3 "$(readlink -f "$work/display-line")"

# In the background, so that Ctrl-C reaches the trap at once rather than
# after Wine has dealt with it; the trap's cleanup stops Wine.
(cd "$work" && exec "$wine_loader" "$console" --script "$(windows_path "$scene")") \
    >"$work/console.txt" 2>"$work/console-errors.txt" &
status=0
wait $! || status=$?
sleep 0.2  # the display draws the last burst after a short quiet spell
stop_display

echo
echo "what the host console printed:"
tr -d '\r' <"$work/console.txt" | sed 's/^/  /'
[ "$status" -eq 0 ] || { echo "host console failed ($status):"; tr -d '\r' <"$work/console-errors.txt"; }
echo
echo "final screen:"
sed 's/.*/  |&|/' "$work/screen.txt"
echo
echo "debug log:  build/demo/logs/KESMARD.log"
echo "byte trace: build/demo/trace.txt"
exit "$status"
