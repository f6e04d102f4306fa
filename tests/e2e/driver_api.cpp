// Loading the display module under test.
#include "driver_api.h"

#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "display_bytes.h"
#include "line.h"

const char *driverPath;

bool LoadDriver(DriverApi *api, const char *path, bool decoratedNames)
{
    char error[512];
    bool loaded = LoadDriverApi(api, path, decoratedNames, error, sizeof error);
    if (!loaded)
        printf("    %s\n", error);
    return loaded;
}

const char *ExpectedErrorText(char (&text)[COMPOSED_TEXT_SIZE], const char *message,
                              unsigned long code, bool asLogged)
{
    snprintf(text, sizeof text, "%s%s : %s", asLogged ? "Error " : "", message, SystemText(code));
    return text;
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

void DoneAndUnload(DriverApi *api)
{
    api->Done();
    ExpectLine(CLOSING, sizeof CLOSING, "Done sends the closing sequence");
    UnloadDriver(api);
}
