// Loading a module with dlopen.
#include "module_loader_platform.h"

#include <dlfcn.h>
#include <stdio.h>

void *OpenModule(const char *path, char *error, size_t errorSize)
{
    // All its symbols bound now, so that a missing one fails here and not
    // in the middle of a call; kept to itself, as a copy under another
    // name must be.
    void *module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    // dlerror's text starts with the path it tried.
    if (!module)
        snprintf(error, errorSize, "cannot load %s", dlerror());
    return module;
}

EntryPoint FindEntryPoint(void *module, const char *name)
{
    return reinterpret_cast<EntryPoint>(dlsym(module, name));
}

void CloseModule(void *module)
{
    dlclose(module);
}
