// The group "long_life": a thousand loads of the module, each setting the
// display up twice and writing, half of them unloaded without Done. Every
// byte must arrive, and handles and private memory stay flat from cycle 100
// on: a port, stream or buffer that Done or the unload leaves behind shows
// as growth, a log stream left open also as a log that runs out of streams.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "process_probe.h"

// Growth of the private commit charge from cycle 100 to 1000 still taken
// for noise; a stream or buffer lost per cycle would be 900 times its size.
enum { CYCLES = 1000, EARLY_PROBE_CYCLE = 100, MEMORY_SLACK = 64 * 1024 };

static void LoadCycles(void)
{
    DrainLine();
    DriverApi api;
    ProcessProbe early = {}, late;
    size_t expected = 0;
    int setUps = 0;
    for (int cycle = 0; cycle < CYCLES && LoadDriver(&api, driverPath); cycle++) {
        unsigned char ok = 0, okAgain = 0;
        api.Init(20, 2, "defaultLog", &ok);
        api.Done();
        api.Init(20, 2, "defaultLog", &okAgain);
        char text[32];
        snprintf(text, sizeof text, "cycle %d", cycle);
        api.Write(text);
        expected += 2 * (sizeof POWER_RESUME - 1) + (sizeof CLOSING - 1) + strlen(text);
        if (cycle % 2 == 0) {
            api.Done();
            expected += sizeof CLOSING - 1;
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
    CheckTrue(late.commitCharge <= early.commitCharge + MEMORY_SLACK,
              "private commit charge flat from cycle 100 to the last");
    const char *const entries[] = {
        BANNER_LINE,    OPENED_LINE, BANNER_LINE, "Init Called ", "Init COM3,9600,8,0,0", "Done Bye",
        "Init Called ", "Init COM3,9600,8,0,0", "Write cycle 999",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the last load's lines only");
    CheckTrue(DeleteFileA(LOG_PATH) != 0, "the unloaded module holds the file no more");
}

static const Scenario SCENARIOS[] = {
    {"load_cycles", LoadCycles},
};
SCENARIO_GROUP(LONG_LIFE_GROUP, "long_life");
