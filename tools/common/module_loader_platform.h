// The platform's dynamic loader as module_loader.cpp uses it, in a file
// per platform (module_loader_windows.cpp, module_loader_posix.cpp).
#pragma once

#include <stddef.h>

// Any entry point, until it is stored in a pointer of its own type.
typedef void (*EntryPoint)(void);

// Loads the module at path (a name without a folder is searched for as the
// platform searches). Null, with the platform's reason in error, when it
// cannot.
void *OpenModule(const char *path, char *error, size_t errorSize);

// The function the module exports under name, or null.
EntryPoint FindEntryPoint(void *module, const char *name);

void CloseModule(void *module);
