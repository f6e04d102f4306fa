#!/usr/bin/env bash
# Checks libKESMARD.so as a host's loader sees it: its dynamic symbol table
# defines the nine entry points by their plain names, each a global
# function, and nothing else; and it needs the C library alone (no C++
# runtime, no libm), so that any glibc program can load it.
#
# Usage: check_library.sh READELF libKESMARD.so
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh"
readelf=$1
library=$2

expected=""
for name in DefaultParameters Done DriverName Init PowerResume SetPosition Status Usage Write; do
    expected+="DISPLAYDLL_$name FUNC GLOBAL"$'\n'
done
# Every symbol the library defines and lets others see: name, type, binding.
expect "defined dynamic symbols" "$(printf '%s' "$expected")" \
    "$("$readelf" --dyn-syms -W "$library" | awk '$1 ~ /^[0-9]+:$/ && $7 != "UND" && $5 != "LOCAL" {print $8, $4, $5}' | sort)"
expect "needed libraries" "libc.so.6" \
    "$("$readelf" -d -W "$library" | sed -n 's/^.*(NEEDED).*\[\(.*\)\]$/\1/p' | xargs)"

finish "exports and needed libraries as expected"
