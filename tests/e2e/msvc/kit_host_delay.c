/* The kit host of kit_host.c, linked with /delayload:KESMARD.dll: it starts
 * without the module, which loads on the first call. When it cannot load,
 * the delay-load helper's failure hook says so and ends the host, as a
 * host would rather than crash on the helper's exception. */
#include "../kit_host.c"

#include <delayimp.h>

static FARPROC WINAPI ReportFailedLoad(unsigned notify, PDelayLoadInfo info)
{
    (void)notify;
    printf("kit host: delay-loading %s failed (error %lu)\n", info->szDll, info->dwLastError);
    exit(3);
}

const PfnDliHook __pfnDliFailureHook2 = ReportFailedLoad;
