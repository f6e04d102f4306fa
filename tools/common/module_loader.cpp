// Finding a display module's entry points once it is loaded.
#include "module_loader.h"

#include <stdio.h>

#include "array_size.h"
#include "module_loader_platform.h"

struct EntryPointName {
    const char *plain;
    const char *decorated;
};

// In the order of the pointers in DriverApi.
static const EntryPointName ENTRY_POINTS[] = {
    {"DISPLAYDLL_Init", "DISPLAYDLL_Init@16"},
    {"DISPLAYDLL_Done", "DISPLAYDLL_Done@0"},
    {"DISPLAYDLL_Write", "DISPLAYDLL_Write@4"},
    {"DISPLAYDLL_SetPosition", "DISPLAYDLL_SetPosition@8"},
    {"DISPLAYDLL_PowerResume", "DISPLAYDLL_PowerResume@0"},
    {"DISPLAYDLL_Usage", "DISPLAYDLL_Usage@0"},
    {"DISPLAYDLL_DefaultParameters", "DISPLAYDLL_DefaultParameters@0"},
    {"DISPLAYDLL_DriverName", "DISPLAYDLL_DriverName@0"},
    {"DISPLAYDLL_Status", "DISPLAYDLL_Status@0"},
};

bool LoadDriverApi(DriverApi *api, const char *path, bool decoratedNames, char *error,
                   size_t errorSize)
{
    api->module = OpenModule(path, error, errorSize);
    if (!api->module)
        return false;
    EntryPoint *slots[] = {
        (EntryPoint *)&api->Init,        (EntryPoint *)&api->Done,
        (EntryPoint *)&api->Write,       (EntryPoint *)&api->SetPosition,
        (EntryPoint *)&api->PowerResume, (EntryPoint *)&api->Usage,
        (EntryPoint *)&api->DefaultParameters, (EntryPoint *)&api->DriverName,
        (EntryPoint *)&api->Status,
    };
    static_assert(ARRAY_SIZE(slots) == ARRAY_SIZE(ENTRY_POINTS), "one slot per entry point");
    for (size_t i = 0; i < ARRAY_SIZE(slots); i++) {
        const char *name = decoratedNames ? ENTRY_POINTS[i].decorated : ENTRY_POINTS[i].plain;
        *slots[i] = FindEntryPoint(api->module, name);
        if (!*slots[i]) {
            snprintf(error, errorSize, "entry point %s missing from %s", name, path);
            UnloadDriver(api);
            return false;
        }
    }
    return true;
}

void UnloadDriver(DriverApi *api)
{
    if (api->module)
        CloseModule(api->module);
    api->module = NULL;
}
