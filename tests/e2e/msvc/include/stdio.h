/* The C runtime's functions that the MSVC-target kit hosts use, from the
 * system's msvcrt.dll (msvcrt.def beside this folder), in place of the MSVC
 * runtime, which Debian has not got. */
#ifndef MSVC_HOST_STDIO_H
#define MSVC_HOST_STDIO_H

int __cdecl printf(const char *format, ...);
__declspec(noreturn) void __cdecl exit(int status);

#endif
