// Learning the library's own file name from an address inside it.
#include "module_base_name.h"

#include <dlfcn.h>

#include "driver_texts.h"

enum { BASE_NAME_SIZE = 256 };

// Stands in for the library's path when it cannot be learnt.
static const char FALLBACK_FILE_NAME[] = "libKESMARD.so";

static struct {
    bool known;
    char name[BASE_NAME_SIZE];
} baseName;

const char *ModuleBaseName(void)
{
    if (baseName.known)
        return baseName.name;
    // The shared object holding our own variable, whatever name the host
    // loaded it by.
    Dl_info info;
    bool found = dladdr(&baseName, &info) != 0 && info.dli_fname && info.dli_fname[0];
    LibraryBaseNameFromPath(baseName.name, sizeof baseName.name, found ? info.dli_fname : FALLBACK_FILE_NAME);
    baseName.known = true;
    return baseName.name;
}
