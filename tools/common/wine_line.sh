# Sourced by the scripts that run Windows programs under Wine on a virtual
# serial line (tests/e2e/run_on_line.sh, tools/demo/demo.sh): a private Wine
# prefix under build/, and COM ports mapped to Linux devices in it.

wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The machine the programs are built for (KESMARD_WINEARCH): win32, the
# module's own, or win64; each has a prefix of its own.
export WINEARCH=${KESMARD_WINEARCH:-win32}
# The 32-bit smoke run through QEMU (KESMARD_I386_VIA_QEMU=1, see
# wine_skip_unless_runs) starts its 32-bit program from the 64-bit prefix:
# a 32-bit prefix started under QEMU fails to load kernel32.
[ "${KESMARD_I386_VIA_QEMU:-0}" = 1 ] && WINEARCH=win64
# Debian's wine script starts the 32-bit loader whenever it is installed,
# also for a 64-bit prefix, so a 64-bit prefix names the 64-bit loader
# itself: it then runs also on a kernel that cannot start 32-bit programs.
wine_loader=$(command -v wine || echo wine)
if [ "$WINEARCH" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
    wine_loader=/usr/lib/wine/wine64
    export WINELOADER=$wine_loader
fi
wine() { "$wine_loader" "$@"; }
wine_prefix_name=wineprefix
[ "$WINEARCH" = win64 ] && wine_prefix_name=wineprefix64
export WINEPREFIX=${KESMARD_WINEPREFIX:-$wine_root/build/$wine_prefix_name}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
unset DISPLAY
# Central European time, with summer time: local time differs from UTC all
# year, which a machine on UTC would hide. A POSIX rule needs no zone files.
export TZ='CET-1CEST,M3.5.0,M10.5.0/3'
# Wine's 32-bit loader: the program a kernel without IA-32 emulation (some
# virtual machines) refuses to start.
wine_i386_loader=${KESMARD_I386_PROBE:-/usr/lib/wine/wine}
wine_qemu_i386=${KESMARD_QEMU_I386:-/usr/bin/qemu-i386-static}
# binfmt_misc's rule for i386 ELF programs (executables and shared objects),
# sending them to QEMU; F opens the interpreter when the rule is registered.
wine_i386_rule=':kesmard-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'$wine_qemu_i386':F'
wine_binfmt=/proc/sys/fs/binfmt_misc

# Initialises the prefix when it is new and starts its server. Wine rewrites
# its COM links when it starts, so map ports only after this. The server may
# print long object dumps when a line vanishes or when it is stopped; they
# go to the file named by $1, out of the program's output.
wine_start() {
    local log=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "initialising the Wine prefix $WINEPREFIX"
        wine wineboot --init >"$log" 2>&1 || { cat "$log"; return 1; }
        wineserver -w
    fi
    wineserver -p >>"$log" 2>&1
    wine cmd /c exit >/dev/null 2>&1 || true
}

# Whether this machine can run the prefix's programs at all.
wine_runs() {
    "$wine_loader" --version >/dev/null 2>&1
}

# Whether the kernel refuses to start Wine's 32-bit loader; what the loader
# said is left in wine_i386_refusal.
wine_i386_refused() {
    wine_i386_refusal=$("$wine_i386_loader" --version 2>&1) && return 1
    [[ $wine_i386_refusal == *"Exec format error"* ]]
}

# Runs a command in a private user and mount namespace whose binfmt_misc
# (its own instance from Linux 6.7 on) sends i386 programs to QEMU user
# mode; nothing outside the namespace changes.
wine_in_i386_namespace() {
    unshare --user --map-root-user --mount -- sh -c '
        mount -t binfmt_misc binfmt_misc "$1" && printf "%s\n" "$2" >"$1/register" &&
        shift 2 && exec "$@"' _ "$wine_binfmt" "$wine_i386_rule" "$@"
}

# Ends the calling test script unless the prefix's programs run. Only a
# kernel that refuses to start Wine's 32-bit loader, for a 32-bit prefix,
# is a reason to skip: exit 0 after a line that CTest reads as a skip.
# Wine missing, its 32-bit part broken or any other failure to start fails
# the test (exit 1) with its reason.
# The smoke run (KESMARD_I386_VIA_QEMU=1) is the other way round: it skips
# where the kernel does not refuse; elsewhere it starts the calling script
# again, with the arguments given, in wine_in_i386_namespace, where the
# registered rule lets it go on, or fails saying why it cannot.
wine_skip_unless_runs() {
    local out status=0
    if [ "${KESMARD_I386_VIA_QEMU:-0}" = 1 ] && [ ! -e "$wine_binfmt/kesmard-i386" ]; then
        if ! wine_i386_refused; then
            echo "skipped: this machine's kernel starts 32-bit programs, so the other Wine tests run them"
            exit 0
        fi
        [ -x "$wine_qemu_i386" ] ||
            { echo "FAILED: no $wine_qemu_i386 to run 32-bit programs (package qemu-user-static)"; exit 1; }
        out=$(wine_in_i386_namespace true 2>&1) ||
            { echo "FAILED: cannot send 32-bit programs to QEMU in a private namespace: $out"; exit 1; }
        wine_in_i386_namespace "$0" "$@"
        exit
    fi
    out=$("$wine_loader" --version 2>&1) || status=$?
    [ "$status" = 0 ] && return 0
    if [ "$WINEARCH" = win32 ] && wine_i386_refused; then
        echo "skipped: this machine's kernel cannot start 32-bit programs ($wine_i386_refusal)"
        exit 0
    fi
    echo "FAILED: Wine does not start $WINEARCH programs: $wine_loader --version: ${out:-exit status $status}"
    exit 1
}

# Maps a COM port (com3) of the prefix to a Linux device (/dev/pts/5).
wine_map_port() {
    ln -sfn "$2" "$WINEPREFIX/dosdevices/$1"
}

wine_unmap_port() {
    rm -f "$WINEPREFIX/dosdevices/$1"
}

wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
}

# A Linux path in the Windows form Wine gives it (Z:\...).
windows_path() {
    local path
    path=$(readlink -f "$1")
    printf 'Z:%s' "${path//\//\\}"
}

# Waits up to five seconds for each path given to exist.
wait_for_paths() {
    local path
    for path in "$@"; do
        for _ in $(seq 100); do
            [ -e "$path" ] && break
            sleep 0.05
        done
        [ -e "$path" ] || { echo "$path did not appear" >&2; return 1; }
    done
}
