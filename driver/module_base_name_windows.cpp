// Learning the module's own file name from an address inside it.
#include "module_base_name.h"

#include <windows.h>

#include "driver_texts.h"

enum { MODULE_PATH_SIZE = 1024, BASE_NAME_SIZE = 256 };

// Stands in for the module's path when that cannot be read whole.
static const char FALLBACK_FILE_NAME[] = "KESMARD.dll";

static struct {
    bool known;                    // the path has been read once
    char name[BASE_NAME_SIZE];     // file name without folder and extension
} baseName;

const char *ModuleBaseName(void)
{
    if (baseName.known)
        return baseName.name;

    // The allocation base of the region holding our own variable is the
    // module's instance handle, whatever name the host loaded it by.
    MEMORY_BASIC_INFORMATION region;
    char path[MODULE_PATH_SIZE];
    DWORD length = 0;
    if (VirtualQuery(&baseName, &region, sizeof region) != 0)
        length = GetModuleFileNameA((HMODULE)region.AllocationBase, path, sizeof path);
    bool pathWhole = length > 0 && length < sizeof path;
    BaseNameFromPath(baseName.name, sizeof baseName.name, pathWhole ? path : FALLBACK_FILE_NAME);
    baseName.known = true;
    return baseName.name;
}
