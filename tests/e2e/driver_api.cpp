// Loading the display module under test.
#include "driver_api.h"

#include <stdio.h>

#include "checks.h"
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

bool LoadFreshDriver(DriverApi *api)
{
    DrainLine();
    bool loaded = LoadDriver(api, driverPath, false);
    CheckTrue(loaded, "the module loads");
    return loaded;
}
