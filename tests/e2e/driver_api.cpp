// Loading the display module and finding its entry points.
#include "driver_api.h"

#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "display_bytes.h"
#include "line.h"

const char *driverPath;

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
};

bool LoadDriver(DriverApi *api, const char *path, bool decoratedNames)
{
    api->module = LoadLibraryA(path);
    if (!api->module) {
        printf("    cannot load %s (error %lu)\n", path, GetLastError());
        return false;
    }
    FARPROC *slots[] = {
        (FARPROC *)&api->Init,        (FARPROC *)&api->Done,
        (FARPROC *)&api->Write,       (FARPROC *)&api->SetPosition,
        (FARPROC *)&api->PowerResume, (FARPROC *)&api->Usage,
        (FARPROC *)&api->DefaultParameters, (FARPROC *)&api->DriverName,
    };
    static_assert(ARRAY_SIZE(slots) == ARRAY_SIZE(ENTRY_POINTS), "one slot per entry point");
    for (size_t i = 0; i < ARRAY_SIZE(slots); i++) {
        const char *name = decoratedNames ? ENTRY_POINTS[i].decorated : ENTRY_POINTS[i].plain;
        *slots[i] = GetProcAddress(api->module, name);
        if (!*slots[i]) {
            printf("    entry point %s missing\n", name);
            UnloadDriver(api);
            return false;
        }
    }
    return true;
}

bool LoadFreshDriver(DriverApi *api)
{
    DrainLine();
    bool loaded = LoadDriver(api, driverPath, false);
    CheckTrue(loaded, "the module loads");
    return loaded;
}

void ExpectSetUp(DriverApi *api, const char *parameters)
{
    unsigned char ok = 0xAA;
    const char *name = api->Init(20, 2, parameters, &ok);
    CheckInt(1, ok, "Init sets ok to 1");
    CheckText(DRIVER_NAME, name, "Init returns the driver name");
    ExpectLine(POWER_RESUME, sizeof POWER_RESUME, "Init sends the power-resume sequence");
}

bool StartDriver(DriverApi *api, const char *parameters)
{
    if (!LoadFreshDriver(api))
        return false;
    ExpectSetUp(api, parameters);
    return true;
}

void UnloadDriver(DriverApi *api)
{
    if (api->module)
        FreeLibrary(api->module);
    api->module = NULL;
}

bool RunLoadCycles(LoadCycles *cycles)
{
    DrainLine();
    DriverApi api;
    size_t received = 0, expectedBytes = 0;
    unsigned char scratch[4096];
    char text[32];
    for (int cycle = 0; cycle < cycles->count; cycle++) {
        if (!LoadDriver(&api, driverPath, false)) {
            CheckTrue(false, "module loads in every cycle");
            return false;
        }
        unsigned char ok = 0;
        api.Init(20, 2, cycles->parameters, &ok);
        if (!ok) {
            CheckInt(1, ok, "Init in a cycle");
            UnloadDriver(&api);
            return false;
        }
        snprintf(text, sizeof text, "cycle %d", cycle);
        api.Write(text);
        expectedBytes += sizeof POWER_RESUME + strlen(text);
        if (cycles->done) {
            api.Done();
            expectedBytes += sizeof CLOSING;
        }
        UnloadDriver(&api);
        received += ReadArrived(scratch, sizeof scratch);
        if (cycle == cycles->probeAfter)
            TakeProcessProbe(&cycles->early);
    }
    TakeProcessProbe(&cycles->late);
    received += ReceiveBytes(scratch, sizeof scratch, expectedBytes - received);
    CheckInt((long long)expectedBytes, (long long)received, "every byte of every cycle arrived");
    return true;
}
