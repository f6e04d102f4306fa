// The group "long_life": a thousand loads of the module, each setting the
// display up twice, half of them unloaded without Done. Every byte must
// arrive, and open handles and private memory stay flat from cycle 100 to
// the last.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "process_probe.h"

enum {
    CYCLES = 1000,
    EARLY_PROBE_CYCLE = 100,
    // Growth of the private commit charge from cycle 100 to 1000 still taken
    // for noise; a stream or buffer lost per cycle would be 900 times its size.
    MEMORY_SLACK = 64 * 1024,
};

// A host that loads the module, runs Init, Done and Init again, writes
// "cycle N" and unloads it, calling Done first on even cycles only. A port
// or buffer that Done or the unload leaves behind shows as growth; more
// loads than the runtime has streams show that the unload closes the log's
// stream too; and on a flowing line the last bytes of a load unloaded
// without Done still go out.
static void LoadCycles(void)
{
    DrainLine();
    DriverApi api;
    ProcessProbe early = {}, late;
    size_t expected = 0;
    for (int cycle = 0; cycle < CYCLES; cycle++) {
        if (!LoadDriver(&api, driverPath))
            return;
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
        if (!ok || !okAgain) {
            CheckTrue(false, "both Inits of a cycle set up");
            return;
        }
        if (cycle == EARLY_PROBE_CYCLE)
            TakeProcessProbe(&early);
    }
    TakeProcessProbe(&late);
    const unsigned char *bytes;
    CheckInt((long long)expected, (long long)ReceiveLine(expected, &bytes),
             "every byte of every cycle arrived");
    CheckInt(early.openHandles, late.openHandles, "open handles after cycle 100 and after the last");
    CheckTrue(late.commitCharge <= early.commitCharge + MEMORY_SLACK,
              "private commit charge flat from cycle 100 to the last");

    char text[32];
    snprintf(text, sizeof text, "Write cycle %d", CYCLES - 1);
    const char *const entries[] = {
        BANNER_LINE,    OPENED_LINE, BANNER_LINE, "Init Called ", "Init COM3,9600,8,0,0", "Done Bye",
        "Init Called ", "Init COM3,9600,8,0,0", text,
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the last load's lines only");
    CheckTrue(DeleteFileA(LOG_PATH) != 0, "the unloaded module holds the file no more");
}

static const Scenario SCENARIOS[] = {
    {"load_cycles", LoadCycles},
};
SCENARIO_GROUP(LONG_LIFE_GROUP, "long_life");
