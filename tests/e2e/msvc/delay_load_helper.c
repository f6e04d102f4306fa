/* The delay-load helper that lld-link's /delayload thunks call on the first
 * call of each delay-loaded function, in place of MSVC's delayimp.lib, which
 * Debian has not got. It does what that helper does for one thread: loads
 * the DLL once, looks the function up by name or ordinal, and puts it in
 * the import slot; on a failure it asks the host's __pfnDliFailureHook2 (the
 * host must define it) and, with no answer, raises the VcppException MSVC's
 * helper raises. The notification hook is not supported. */
#include <windows.h>
#include <delayimp.h>

/* The base of this image, where the descriptor's addresses count from. */
extern char __ImageBase[];

/* The top bit of a name-table entry, one pointer wide, marks an import by
 * ordinal. */
#define IMPORT_BY_ORDINAL ((ULONG_PTR)1 << (sizeof(ULONG_PTR) * 8 - 1))

/* Gives the hook its say, then raises the error if it had no answer. */
static FARPROC AskHook(unsigned notify, DelayLoadInfo *info, DWORD error)
{
    FARPROC answer = 0;
    ULONG_PTR argument = (ULONG_PTR)info;
    info->dwLastError = GetLastError();
    if (__pfnDliFailureHook2)
        answer = __pfnDliFailureHook2(notify, info);
    if (!answer)
        RaiseException(VcppException(ERROR_SEVERITY_ERROR, error), 0, 1, &argument);
    return answer;
}

FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC *slot)
{
    HMODULE *module = (HMODULE *)(__ImageBase + descriptor->rvaHmod);
    const FARPROC *slots = (const FARPROC *)(__ImageBase + descriptor->rvaIAT);
    ULONG_PTR entry = ((const ULONG_PTR *)(__ImageBase + descriptor->rvaINT))[slot - slots];
    DelayLoadInfo info = {0};
    info.cb = sizeof info;
    info.pidd = descriptor;
    info.ppfn = slot;
    info.szDll = __ImageBase + descriptor->rvaDLLName;
    info.dlp.fImportByName = !(entry & IMPORT_BY_ORDINAL);
    if (info.dlp.fImportByName)
        info.dlp.szProcName = __ImageBase + entry + 2;  /* past the hint */
    else
        info.dlp.dwOrdinal = entry & 0xFFFF;

    if (!*module) {
        *module = LoadLibraryA(info.szDll);
        if (!*module)
            *module = (HMODULE)AskHook(dliFailLoadLib, &info, ERROR_MOD_NOT_FOUND);
    }
    info.hmodCur = *module;
    *slot = GetProcAddress(*module, info.dlp.fImportByName ? info.dlp.szProcName
                                                          : (const char *)(ULONG_PTR)info.dlp.dwOrdinal);
    if (!*slot)
        *slot = AskHook(dliFailGetProc, &info, ERROR_PROC_NOT_FOUND);
    return *slot;
}
