/* The few Windows declarations that the MSVC-target kit hosts and the kit's
 * sample host use, in place of the Windows SDK, which Debian has not got.
 * The hosts import them through kernel32.def beside this folder; the sample
 * is only compiled. */
#ifndef MSVC_HOST_WINDOWS_H
#define MSVC_HOST_WINDOWS_H

typedef int BOOL;
typedef unsigned long DWORD;
#ifdef _WIN64
typedef unsigned long long ULONG_PTR;
#else
typedef unsigned long ULONG_PTR;
#endif
typedef struct HINSTANCE__ *HMODULE;
typedef int(__stdcall *FARPROC)(void);
#define WINAPI __stdcall

__declspec(dllimport) HMODULE WINAPI LoadLibraryA(const char *name);
__declspec(dllimport) FARPROC WINAPI GetProcAddress(HMODULE module, const char *name);
__declspec(dllimport) BOOL WINAPI FreeLibrary(HMODULE module);
__declspec(dllimport) DWORD WINAPI GetLastError(void);

#endif
