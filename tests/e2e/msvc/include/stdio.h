/* The C runtime's functions that the MSVC-target kit hosts use, from
 * msvcrt.dll (msvcrt.def beside this folder): the system's own runtime, in
 * place of the MSVC runtime, which Debian has not got. */
#ifndef MSVC_HOST_STDIO_H
#define MSVC_HOST_STDIO_H

#include <stddef.h>

int __cdecl printf(const char *format, ...);
int __cdecl sscanf(const char *text, const char *format, ...);
/* msvcrt.dll has only the older name; the kit host's texts always fit. */
int __cdecl _snprintf(char *buffer, size_t size, const char *format, ...);
#define snprintf _snprintf
__declspec(noreturn) void __cdecl exit(int status);

#endif
