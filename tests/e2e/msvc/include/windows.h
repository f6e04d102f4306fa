/* The few Windows declarations that the MSVC-target kit hosts and the kit's
 * sample host use, in place of the Windows SDK, which Debian has not got.
 * The hosts' import libraries come from kernel32.def and version.def beside
 * this folder; the sample is only compiled. */
#ifndef MSVC_HOST_WINDOWS_H
#define MSVC_HOST_WINDOWS_H

#include <stddef.h>

typedef int BOOL;
typedef unsigned short WORD;
typedef unsigned int UINT;
typedef unsigned long DWORD;
#ifdef _WIN64
typedef unsigned long long ULONG_PTR;
#else
typedef unsigned long ULONG_PTR;
#endif
typedef struct HINSTANCE__ *HMODULE;
typedef int(__stdcall *FARPROC)(void);

#define WINAPI __stdcall
#define MAX_PATH 260
#define VFT_APP 1
#define VFT_DLL 2
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_SEVERITY_ERROR 0xC0000000ul

typedef struct {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

__declspec(dllimport) HMODULE WINAPI GetModuleHandleA(const char *name);
__declspec(dllimport) DWORD WINAPI GetModuleFileNameA(HMODULE module, char *path, DWORD size);
__declspec(dllimport) HMODULE WINAPI LoadLibraryA(const char *name);
__declspec(dllimport) FARPROC WINAPI GetProcAddress(HMODULE module, const char *name);
__declspec(dllimport) BOOL WINAPI FreeLibrary(HMODULE module);
__declspec(dllimport) DWORD WINAPI GetLastError(void);
__declspec(dllimport) void WINAPI RaiseException(DWORD code, DWORD flags, DWORD count,
                                                 const ULONG_PTR *arguments);

__declspec(dllimport) DWORD WINAPI GetFileVersionInfoSizeA(const char *path, DWORD *handle);
__declspec(dllimport) BOOL WINAPI GetFileVersionInfoA(const char *path, DWORD handle, DWORD size,
                                                      void *block);
__declspec(dllimport) BOOL WINAPI VerQueryValueA(const void *block, const char *query,
                                                 void **value, UINT *length);

#endif
