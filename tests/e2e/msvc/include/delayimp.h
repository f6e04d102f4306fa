/* The delay-load helper's interface, as MSVC's delayimp.h declares it: the
 * descriptor the linker writes for each delay-loaded DLL, and the failure
 * hook a host may set. delay_load_helper.c implements the helper. */
#ifndef MSVC_HOST_DELAYIMP_H
#define MSVC_HOST_DELAYIMP_H

#include <windows.h>

typedef DWORD RVA;

typedef struct ImgDelayDescr {
    DWORD grAttrs;      /* 1: the fields below are addresses relative to the image */
    RVA rvaDLLName;     /* the DLL's name */
    RVA rvaHmod;        /* where its module handle is kept once loaded */
    RVA rvaIAT;         /* its import address table, one slot per function */
    RVA rvaINT;         /* the names (or ordinals) of those functions */
    RVA rvaBoundIAT;
    RVA rvaUnloadIAT;
    DWORD dwTimeStamp;
} ImgDelayDescr, *PImgDelayDescr;
typedef const ImgDelayDescr *PCImgDelayDescr;

enum {
    dliStartProcessing,
    dliNotePreLoadLibrary,
    dliNotePreGetProcAddress,
    dliFailLoadLib,
    dliFailGetProc,
    dliNoteEndProcessing
};

typedef struct DelayLoadProc {
    BOOL fImportByName;
    union {  /* unnamed, as in MSVC's header */
        const char *szProcName;
        DWORD dwOrdinal;
    };
} DelayLoadProc;

typedef struct DelayLoadInfo {
    DWORD cb;
    PCImgDelayDescr pidd;
    FARPROC *ppfn;
    const char *szDll;
    DelayLoadProc dlp;
    HMODULE hmodCur;
    FARPROC pfnCur;
    DWORD dwLastError;
} DelayLoadInfo, *PDelayLoadInfo;

typedef FARPROC(WINAPI *PfnDliHook)(unsigned dliNotify, PDelayLoadInfo pdli);

/* Called when the DLL or a function cannot be found; what it returns is
 * used instead, and a null answer raises the exception below. */
extern const PfnDliHook __pfnDliFailureHook2;

#define FACILITY_VISUALCPP 0x6d
#define VcppException(severity, error) ((severity) | (FACILITY_VISUALCPP << 16) | (error))

#endif
