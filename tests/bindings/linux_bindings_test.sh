#!/usr/bin/env bash
# Drives libKESMARD.so through each language binding that runs on Linux:
# the kit's Python module, the npm package (packed for Linux alone and
# installed by npm), the kit's C# binding under Mono and its static Free
# Pascal unit. Each small program runs on a pty of its own (socat), whose
# far end, the display's, goes to a file: every binding must send the same
# bytes and print the module's answers and Status.
#
# Usage: linux_bindings_test.sh LIBKESMARD.so
source "$(dirname "${BASH_SOURCE[0]}")/../check_lib.sh"
here=$root/tests/bindings
library=$(readlink -f "$1")
version=$(sed -n 's/^#define EXPECTED_VERSION "\(.*\)"$/\1/p' "$root/tests/e2e/display_bytes.h")
work=$(mktemp -d)
socat=
trap '[ -n "$socat" ] && kill "$socat" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
cp "$library" "$root/bindings/kesmard.py" "$root/bindings/KesmardDisplay.pas" "$here"/linux_run.* .
built() {  # what, log, command...
    "${@:3}" >"$2" 2>&1 || { cat "$2"; fail "$1"; }
}
built "mcs" mcs.log mcs -warnaserror -out:LinuxRun.exe "$here/LinuxRun.cs" "$root/bindings/KesmardDisplay.cs"
built "fpc" fpc.log fpc -Sew -vw -Fl. linux_run.pas
built "packing the npm package" pack.log \
    cmake -DMACHINES=linux-x64 -DPACKAGE_DIR="$work" -P "$root/cmake/node_package.cmake"
built "npm install" npm.log npm install --cache "$work/npm-cache" --offline --no-audit --no-fund \
    --loglevel=error ./kesmard-*.tgz

# Init's power-resume sequence, "Café £" in Latin-1, Done's closing.
sent="1b 02 1b 05 1b 08 1b 0c 1b 0e 1b 20 43 61 66 e9 20 a3 1b 02"
run() {  # binding, Status after Init and after Done as it answers them, command...
    rm -f line display
    socat -u pty,raw,echo=0,link=line CREATE:display 2>/dev/null &
    socat=$!
    for _ in $(seq 100); do [ -e line ] && [ -e display ] && break; sleep 0.05; done
    output=$("${@:4}" "$work/line,9600,8,N,1" 2>&1) || fail "$1: exit status"
    # The bytes are in the pty before the program ends; socat copies them.
    for _ in $(seq 40); do [ "$(stat -c %s display)" -ge 20 ] && break; sleep 0.05; done
    kill "$socat" 2>/dev/null || true
    wait "$socat" 2>/dev/null || true
    socat=
    expect "$1: the bytes at the display's end" "$sent" "$(od -An -v -tx1 display | xargs)"
    expect "$1: the module's answers" "$(printf '%s\n' "KESMARD v$version" 1 "$2" "$3" "KESMARD v$version" \
        "KESMARD usage: COM3,9600,8,N,1" "COM3,9600,8,N,1")" "$output"
}
run Python 1 0 python3 linux_run.py
run Node.js ready notSetUp node linux_run.js
run "C# under Mono" 1 0 mono LinuxRun.exe
run "Free Pascal" 1 0 env LD_LIBRARY_PATH=. ./linux_run
finish "each binding drove libKESMARD.so on a pty"
