// The group "long_life": a thousand loads with and without Done, and a
// thousand Init and Done in one load. Every byte must arrive, and open
// handles and private memory stay flat from cycle 100 to the last.
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

static void ExpectFlat(const ProcessProbe *early, const ProcessProbe *late)
{
    CheckInt(early->openHandles, late->openHandles, "open handles after cycle 100 and after the last");
    CheckTrue(late->commitCharge <= early->commitCharge + MEMORY_SLACK,
              "private commit charge flat from cycle 100 to the last");
}

static void ExpectArrived(size_t expected)
{
    const unsigned char *bytes;
    CheckInt((long long)expected, (long long)ReceiveLine(expected, &bytes),
             "every byte of every cycle arrived");
}

// A host that loads the module, runs Init on parameters, writes "cycle N",
// calls Done when done is set, and unloads it, again and again.
static void LoadCycles(const char *parameters, bool done)
{
    DrainLine();
    DriverApi api;
    ProcessProbe early = {}, late;
    size_t expected = 0;
    for (int cycle = 0; cycle < CYCLES; cycle++) {
        unsigned char ok = 0;
        if (!LoadDriver(&api, driverPath))
            return;
        api.Init(20, 2, parameters, &ok);
        char text[32];
        snprintf(text, sizeof text, "cycle %d", cycle);
        api.Write(text);
        expected += sizeof POWER_RESUME + strlen(text);
        if (done) {
            api.Done();
            expected += sizeof CLOSING;
        }
        UnloadDriver(&api);
        if (!ok) {
            CheckInt(1, ok, "Init in a cycle");
            return;
        }
        if (cycle == EARLY_PROBE_CYCLE)
            TakeProcessProbe(&early);
    }
    TakeProcessProbe(&late);
    ExpectArrived(expected);
    ExpectFlat(&early, &late);
}

// Unloading closes the log's stream too: more loads than the runtime has
// streams, and the file holds the last load's lines only.
static void ReloadCycles(void)
{
    LoadCycles("defaultLog", true);
    char text[32];
    snprintf(text, sizeof text, "Write cycle %d", CYCLES - 1);
    const char *const entries[] = {
        BANNER_LINE, OPENED_LINE, BANNER_LINE, "Init Called ", "Init COM3,9600,8,0,0", text, "Done Bye",
    };
    ExpectLog(entries, ARRAY_SIZE(entries), "the last cycle's lines only");
    CheckTrue(DeleteFileA(LOG_PATH) != 0, "the unloaded module holds the file no more");
}

// A host that unloads the module without calling Done: the port it held
// is closed with it, and on a flowing line its last bytes still go out.
static void UnloadWithoutDone(void)
{
    LoadCycles(GOOD_PARAMETERS, false);
}

// A host that starts and stops the display again and again in one load.
static void InitDoneCycles(void)
{
    DriverApi api;
    if (!LoadFreshDriver(&api))
        return;
    ProcessProbe early = {}, late;
    for (int cycle = 0; cycle < CYCLES; cycle++) {
        unsigned char ok = 0;
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
        api.Done();
        if (!ok) {
            CheckInt(1, ok, "Init in a cycle");
            break;
        }
        if (cycle == EARLY_PROBE_CYCLE)
            TakeProcessProbe(&early);
    }
    TakeProcessProbe(&late);
    ExpectArrived(CYCLES * (sizeof POWER_RESUME + sizeof CLOSING));
    ExpectFlat(&early, &late);
    UnloadDriver(&api);
}

static const Scenario SCENARIOS[] = {
    {"reload_cycles", ReloadCycles},
    {"unload_without_done", UnloadWithoutDone},
    {"init_done_cycles", InitDoneCycles},
};
SCENARIO_GROUP(LONG_LIFE_GROUP, "long_life");
