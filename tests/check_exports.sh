#!/usr/bin/env bash
# Checks the module file itself: a PE of the machine's format (pei-i386 or
# pei-x86-64) whose export directory names it KESMARD.dll and lists the
# eighteen entry point names in order, each plain name right before its
# decorated one at the same address (Status, added last, at ordinals 17 and
# 18 though its names sort among the others), and which imports nothing but
# KERNEL32.dll and msvcrt.dll, its time calls the 64-bit ones.
#
# Usage: check_exports.sh OBJDUMP MODULE.dll FORMAT
set -euo pipefail
objdump=$1
dll=$2
format=$3
dump=$("$objdump" -p "$dll")
failed=0
expect() {  # what, expected, got
    if [ "$2" != "$3" ]; then
        printf 'FAILED: %s\n  expected: %s\n  got:      %s\n' "$1" "$2" "$3"
        failed=1
    fi
}

expect "file format" "$format" "$(head -3 <<<"$dump" | sed -n 's/.*file format //p')"
expect "export directory name" "KESMARD.dll" "$(sed -n 's/^Name[[:space:]]*[0-9a-f]* //p' <<<"$dump")"

names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^.*\[ *\([0-9]*\)\] \(.*\)$/\2 @\1/p')
expected=""
# Each name in the name table's order, with its plain name's ordinal less
# the base.
for entry in DefaultParameters@0:0 Done@0:2 DriverName@0:4 Init@16:6 PowerResume@0:8 \
             SetPosition@8:10 Status@0:16 Usage@0:12 Write@4:14; do
    name=${entry%:*} ordinal=${entry#*:}
    expected+="DISPLAYDLL_${name%@*} @$ordinal"$'\n'"DISPLAYDLL_$name @$((ordinal + 1))"$'\n'
done
expect "export names and ordinal slots" "$(printf '%s' "$expected")" "$names"

# Ordinal base 1, and each pair of address slots holds one address.
expect "ordinal base" "1" "$(sed -n 's/^Export Address Table -- Ordinal Base //p' <<<"$dump")"
addresses=$(sed -n 's/^.*+base\[ *[0-9]*\] \([0-9a-f]*\) Export RVA$/\1/p' <<<"$dump")
expect "eighteen addresses" "18" "$(wc -l <<<"$addresses")"
expect "plain and decorated names share their code" "9" \
    "$(paste - - <<<"$addresses" | awk '$1 == $2' | wc -l)"

expect "imports" "KERNEL32.dll msvcrt.dll" \
    "$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | sort | xargs)"

# The log's clock is read in 64 bits on both machines: a 32-bit time_t
# leaves every timestamp empty from 2038 on.
expect "the runtime's time calls" "_localtime64" \
    "$(sed -n '/DLL Name: msvcrt.dll/,/^$/p' <<<"$dump" | grep -oE '\b_?(time|localtime|gmtime|mktime)(32|64)?$' | sort | xargs)"

# The oldest Windows the module loads on (README, "Which Windows"). The
# loader refuses a module whose subsystem version is above its own, and
# every import must be in the system's DLL. The header asks for NT 4.0
# (i686) or 5.2, the first x64 Windows (x86_64). Of the imports below, the
# newest are TryEnterCriticalSection (NT 4.0) and msvcrt's _localtime64
# (msvcrt.dll 6.10, Windows 2000's): any other import fails here until its
# oldest Windows is looked up and README says it.
case $format in
    pei-i386) subsystem=4.0 only="FreeLibrary GetModuleHandleA GetModuleHandleW GetProcAddress LoadLibraryA __mb_cur_max _iob atoi setlocale strchr" ;;
    *) subsystem=5.2 only="___lc_codepage_func ___mb_cur_max_func __iob_func" ;;
esac
expect "subsystem version" "$subsystem" \
    "$(sed -n 's/^MajorSubsystemVersion[[:space:]]*//p; s/^MinorSubsystemVersion[[:space:]]*//p' <<<"$dump" | paste -sd.)"
known="ClearCommError CloseHandle CreateDirectoryA CreateFileA DeleteCriticalSection EnterCriticalSection
    FormatMessageA GetCommState GetLastError GetModuleFileNameA GetSystemTimeAsFileTime GetTickCount
    InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection MultiByteToWideChar PurgeComm
    SetCommState SetCommTimeouts Sleep TlsGetValue TryEnterCriticalSection VirtualProtect VirtualQuery
    WideCharToMultiByte WriteFile _amsg_exit _close _errno _fdopen _initterm _localtime64 _lock
    _open_osfhandle _unlock abort calloc fclose fflush fputc fputs free fwrite localeconv malloc memcpy
    memset realloc strcmp strerror strftime strlen strncmp strrchr vfprintf wcslen $only"
expect "imported functions, each known to be in Windows 2000 (XP x64)" "$(xargs -n1 <<<"$known" | sort | xargs)" \
    "$(sed -n '/DLL Name:/,/^$/s/^[[:space:]]*[0-9a-f]\{1,\}[[:space:]]\{1,\}[0-9a-f]\{1,\}[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' <<<"$dump" | sort | xargs)"

[ "$failed" = 0 ] && echo "export table and imports as expected"
exit "$failed"
