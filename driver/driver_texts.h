// The constant texts the module hands to the host, and the building of its
// driver name. Platform-free.
#pragma once

#include <stddef.h>

#define DEFAULT_PARAMETERS "COM3,9600,8,N,1"
#define USAGE_TEXT "KESMARD usage: " DEFAULT_PARAMETERS

// The driver name buffer holds 95 characters and the terminator.
enum { DRIVER_NAME_SIZE = 96 };

// Writes "<baseName> v<version>" into buffer, the version being the
// project's (KESMARD_VERSION_TEXT, defined by the build). A base name too
// long for the buffer is cut so that the version always stays whole.
void BuildDriverName(char *buffer, size_t size, const char *baseName);

// Writes prefix, name and suffix into buffer. A name too long for the
// buffer is cut so that prefix and suffix stay whole.
void ComposeAroundName(char *buffer, size_t size, const char *prefix, const char *name,
                       const char *suffix);

// The module's file name without folder and without its last four
// characters (".dll"), bounded by size. A name of four characters or fewer
// is kept whole, since nothing would be left of it.
void BaseNameFromPath(char *baseName, size_t size, const char *path);

// The same for a shared library on Linux: the name after the last '/', less
// ".so" at its end and "lib" at its start where it has them, so that
// libKESMARD.so gives KESMARD and a copy named POLE7.so gives POLE7.
void LibraryBaseNameFromPath(char *baseName, size_t size, const char *path);
