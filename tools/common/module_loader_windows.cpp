// Loading a module with LoadLibrary.
#include "module_loader_platform.h"

#include <windows.h>
#include <stdio.h>

#include "system_text.h"

void *OpenModule(const char *path, char *error, size_t errorSize)
{
    HMODULE module = LoadLibraryA(path);
    if (!module) {
        DWORD code = GetLastError();
        snprintf(error, errorSize, "cannot load %s: %s (error %lu)", path, SystemTextLine(code),
                 code);
    }
    return module;
}

EntryPoint FindEntryPoint(void *module, const char *name)
{
    return (EntryPoint)GetProcAddress((HMODULE)module, name);
}

void CloseModule(void *module)
{
    FreeLibrary((HMODULE)module);
}
