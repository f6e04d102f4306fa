#!/usr/bin/env bash
# Checks libKESMARD.so as a host's loader sees it: its dynamic symbol table
# defines the nine entry points by their plain names, each a global
# function, and nothing else; and it needs the C library alone (no C++
# runtime, no libm), so that any glibc program can load it. It is built for
# the tree's machine (x86_64 or aarch64) and needs no symbol version past
# GLIBC_2.34, where dladdr and pthread_mutex_trylock came into libc.so.6: a
# newer one fails here until BUILDING.md's oldest C library is raised.
#
# Usage: check_library.sh READELF libKESMARD.so MACHINE
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh"
readelf=$1
library=$2
case $3 in
    x86_64) machine="Advanced Micro Devices X86-64" ;;
    aarch64) machine=AArch64 ;;
    *) machine="no machine known as $3" ;;
esac

expect "machine" "$machine" "$("$readelf" -h -W "$library" | sed -n 's/^ *Machine: *//p')"
expected=""
for name in DefaultParameters Done DriverName Init PowerResume SetPosition Status Usage Write; do
    expected+="DISPLAYDLL_$name FUNC GLOBAL"$'\n'
done
# Every symbol the library defines and lets others see: name, type, binding.
expect "defined dynamic symbols" "$(printf '%s' "$expected")" \
    "$("$readelf" --dyn-syms -W "$library" | awk '$1 ~ /^[0-9]+:$/ && $7 != "UND" && $5 != "LOCAL" {print $8, $4, $5}' | sort)"
expect "needed libraries" "libc.so.6" \
    "$("$readelf" -d -W "$library" | sed -n 's/^.*(NEEDED).*\[\(.*\)\]$/\1/p' | xargs)"
expect "newest C library version needed" "GLIBC_2.34" \
    "$("$readelf" -V -W "$library" | sed -n 's/^.*Name: \(GLIBC_[0-9.]*\) .*$/\1/p' | sort -V | tail -1)"

finish "exports and needed libraries as expected"
