/* The string functions the MSVC-target kit hosts use, from msvcrt.dll. */
#ifndef MSVC_HOST_STRING_H
#define MSVC_HOST_STRING_H

#include <stddef.h>

int __cdecl strncmp(const char *left, const char *right, size_t count);
size_t __cdecl strlen(const char *text);

#endif
