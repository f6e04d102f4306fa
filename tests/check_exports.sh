#!/usr/bin/env bash
# Checks the module file: a PE of the machine's format whose export
# directory names it KESMARD.dll and lists the eighteen names in order, each
# plain name before its decorated one and at its address (Status last by
# ordinal, 17 and 18), and which imports exactly the functions below from
# KERNEL32.dll and msvcrt.dll.
#
# Usage: check_exports.sh OBJDUMP MODULE.dll FORMAT
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh"
dump=$("$1" -p "$2")
format=$3

expect "file format" "$format" "$(head -3 <<<"$dump" | sed -n 's/.*file format //p')"
expect "export directory name" "KESMARD.dll" "$(sed -n 's/^Name[[:space:]]*[0-9a-f]* //p' <<<"$dump")"
# The name table's order, each name with its ordinal less the base.
expect "export names and ordinal slots" "DISPLAYDLL_DefaultParameters @0 DISPLAYDLL_DefaultParameters@0 @1 \
DISPLAYDLL_Done @2 DISPLAYDLL_Done@0 @3 DISPLAYDLL_DriverName @4 DISPLAYDLL_DriverName@0 @5 \
DISPLAYDLL_Init @6 DISPLAYDLL_Init@16 @7 DISPLAYDLL_PowerResume @8 DISPLAYDLL_PowerResume@0 @9 \
DISPLAYDLL_SetPosition @10 DISPLAYDLL_SetPosition@8 @11 DISPLAYDLL_Status @16 DISPLAYDLL_Status@0 @17 \
DISPLAYDLL_Usage @12 DISPLAYDLL_Usage@0 @13 DISPLAYDLL_Write @14 DISPLAYDLL_Write@4 @15" \
    "$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^.*\[ *\([0-9]*\)\] \(.*\)$/\2 @\1/p' <<<"$dump" | xargs)"
expect "ordinal base" "1" "$(sed -n 's/^Export Address Table -- Ordinal Base //p' <<<"$dump")"
addresses=$(sed -n 's/^.*+base\[ *[0-9]*\] \([0-9a-f]*\) Export RVA$/\1/p' <<<"$dump")
expect "eighteen addresses" "18" "$(wc -l <<<"$addresses")"
expect "plain and decorated names share their code" "9" "$(paste - - <<<"$addresses" | awk '$1 == $2' | wc -l)"

# The loader refuses a module whose subsystem version is above its own, or
# an import its system's DLL lacks: NT 4.0 for i686, 5.2 (the first x64
# Windows) for x86_64, as README's "Which Windows" says. Every import below
# is in Windows 2000 (XP x64), the newest TryEnterCriticalSection and
# _localtime64 (a 32-bit time_t would empty the log's timestamps from 2038):
# a new one fails here until its oldest Windows is looked up.
case $format in
    pei-i386) subsystem=4.0 only="FreeLibrary GetModuleHandleA GetModuleHandleW GetProcAddress LoadLibraryA __mb_cur_max _iob atoi setlocale strchr" ;;
    *) subsystem=5.2 only="___lc_codepage_func ___mb_cur_max_func __iob_func" ;;
esac
expect "subsystem version" "$subsystem" \
    "$(sed -n 's/^MajorSubsystemVersion[[:space:]]*//p; s/^MinorSubsystemVersion[[:space:]]*//p' <<<"$dump" | paste -sd.)"
expect "imported DLLs" "KERNEL32.dll msvcrt.dll" "$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | sort | xargs)"
known="ClearCommError CloseHandle CreateDirectoryA CreateFileA DeleteCriticalSection EnterCriticalSection
    FormatMessageA GetCommState GetLastError GetModuleFileNameA GetSystemTimeAsFileTime GetTickCount
    InitializeCriticalSection IsDBCSLeadByteEx LeaveCriticalSection MultiByteToWideChar PurgeComm
    SetCommState SetCommTimeouts Sleep TlsGetValue TryEnterCriticalSection VirtualProtect VirtualQuery
    WideCharToMultiByte WriteFile _amsg_exit _close _errno _fdopen _initterm _localtime64 _lock
    _open_osfhandle _unlock abort calloc fclose fflush fputc fputs free fwrite localeconv malloc memcpy
    memset realloc strcmp strerror strftime strlen strncmp strrchr vfprintf wcslen $only"
expect_set "imported functions" "$known" \
    "$(sed -n '/DLL Name:/,/^$/s/^[[:space:]]*[0-9a-f]\{1,\}[[:space:]]\{1,\}[0-9a-f]\{1,\}[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' <<<"$dump")"
finish "export table and imports as expected"
