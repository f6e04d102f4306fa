// The group "long_life": a thousand loads of the module, each setting the
// display up twice and writing, half of them unloaded without Done. Every
// byte must arrive, and handles and private memory stay flat from cycle 100
// on: a port, stream or buffer that Done or the unload leaves behind shows
// as growth, a log stream left open also as a log that runs out of streams.
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "process_probe.h"
#include "test_platform.h"

// Growth of the private memory from cycle 100 to 1000 still taken
// for noise; a stream or buffer lost per cycle would be 900 times its size.
enum { CYCLES = 1000, EARLY_PROBE_CYCLE = 100, MEMORY_SLACK = 64 * 1024 };

static void LoadCycles(void)
{
    DrainLine();
    DriverApi api;
    ProcessProbe early = {}, late;
    size_t expected = 0;
    int setUps = 0;
    char parameters[128], portLine[128], settingsLine[128];
    snprintf(parameters, sizeof parameters, "%s,9600,8,N,1Log", ModuleEndName());
    for (int cycle = 0; cycle < CYCLES && LoadDriver(&api, driverPath); cycle++) {
        unsigned char ok = 0, okAgain = 0;
        api.Init(20, 2, parameters, &ok);
        api.Done();
        api.Init(20, 2, parameters, &okAgain);
        char text[32];
        snprintf(text, sizeof text, "cycle %d", cycle);
        api.Write(text);
        expected += 2 * (sizeof POWER_RESUME - 1) + (sizeof CLOSING - 1) + strlen(text);
        if (cycle % 2 == 0) {
            api.Done();
            expected += sizeof CLOSING - 1;
        } else if (PLATFORM_TEXTS.unloadNote && !AwaitLine(expected)) {
            break;  // bytes missing, which the checks below show
        }
        UnloadDriver(&api);
        setUps += ok + okAgain;
        if (cycle == EARLY_PROBE_CYCLE)
            TakeProcessProbe(&early);
    }
    TakeProcessProbe(&late);
    CheckInt(2 * CYCLES, setUps, "Inits that set up");
    const unsigned char *bytes;
    CheckInt((long long)expected, (long long)ReceiveLine(expected, &bytes), "every cycle's bytes arrived");
    CheckInt(early.openHandles, late.openHandles, "open handles after cycle 100 and after the last");
    CheckTrue(late.privateMemory <= early.privateMemory + MEMORY_SLACK,
              "private memory flat from cycle 100 to the last");
    snprintf(portLine, sizeof portLine, "Init port=%s, num=%d", ModuleEndName(), PLATFORM_TEXTS.linePortNumber);
    snprintf(settingsLine, sizeof settingsLine, "Init %s,9600,8,0,0", ModuleEndName());
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, "Init Called ", portLine, portLine, settingsLine, "Done Bye",
        "Init Called ", portLine, portLine, settingsLine, "Write cycle 999",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the last load's lines only");
    if (PLATFORM_TEXTS.unloadNote)
        printf("    %s\n", PLATFORM_TEXTS.unloadNote);
    if (PLATFORM_TEXTS.openFileNote)
        printf("    %s\n", PLATFORM_TEXTS.openFileNote);
    else
        CheckTrue(remove(LOG_PATH) == 0, "the unloaded module holds the file no more");
}

static const Scenario SCENARIOS[] = {
    {"load_cycles", LoadCycles},
};
SCENARIO_GROUP(LONG_LIFE_GROUP, "long_life");
