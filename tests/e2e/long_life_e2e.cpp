// Long runs of the real module: a thousand loads with and without Done, and
// a thousand Init and Done in one load. Every byte must arrive, and open
// handles and private memory stay flat from cycle 100 to the last.
//
// Usage: long_life_e2e.exe PATH-TO-DLL [SCENARIO-FILTER]
#include <windows.h>

#include "checks.h"
#include "display_bytes.h"
#include "driver_api.h"
#include "line.h"
#include "process_probe.h"

static DriverApi api;

enum {
    LONG_LIFE_CYCLES = 1000,
    EARLY_PROBE_CYCLE = 100,
    // Growth of committed private memory from cycle 100 to 1000 still taken
    // for noise; a stream or buffer lost per cycle would be 900 times its size.
    MEMORY_SLACK = 64 * 1024,
};

static void ExpectFlat(const ProcessProbe *early, const ProcessProbe *late)
{
    PrintProcessProbe("after cycle 100 ", early);
    PrintProcessProbe("after cycle 1000", late);
    CheckInt((long long)early->nextHandle, (long long)late->nextHandle,
             "next handle value after cycle 100 and after the last");
    CheckInt(early->openHandles, late->openHandles, "open handles after cycle 100 and after the last");
    CheckTrue(late->committedPrivate <= early->committedPrivate + MEMORY_SLACK,
              "committed private memory flat from cycle 100 to the last");
    CheckTrue(late->commitCharge <= early->commitCharge + MEMORY_SLACK,
              "commit charge flat from cycle 100 to the last");
}

// A host that loads, uses and unloads the module again and again.
static void ReloadCycles(void)
{
    LoadCycles cycles = {GOOD_PARAMETERS, true, LONG_LIFE_CYCLES, EARLY_PROBE_CYCLE, {}, {}};
    if (RunLoadCycles(&cycles))
        ExpectFlat(&cycles.early, &cycles.late);
}

// A host that unloads the module without calling Done: the port it held
// is closed with it, so a run of such loads leaves no handle behind.
static void UnloadWithoutDone(void)
{
    LoadCycles cycles = {GOOD_PARAMETERS, false, LONG_LIFE_CYCLES, EARLY_PROBE_CYCLE, {}, {}};
    if (RunLoadCycles(&cycles))
        ExpectFlat(&cycles.early, &cycles.late);
}

// A host that starts and stops the display again and again in one load.
static void InitDoneCycles(void)
{
    if (!LoadFreshDriver(&api))
        return;
    ProcessProbe early = {}, late;
    size_t received = 0;
    unsigned char scratch[4096];
    for (int cycle = 0; cycle < LONG_LIFE_CYCLES; cycle++) {
        unsigned char ok = 0;
        api.Init(20, 2, GOOD_PARAMETERS, &ok);
        if (!ok) {
            CheckInt(1, ok, "Init in a cycle");
            break;
        }
        api.Done();
        received += ReadArrived(scratch, sizeof scratch);
        if (cycle == EARLY_PROBE_CYCLE)
            TakeProcessProbe(&early);
    }
    TakeProcessProbe(&late);
    size_t expected = LONG_LIFE_CYCLES * (sizeof POWER_RESUME + sizeof CLOSING);
    received += ReceiveBytes(scratch, sizeof scratch, expected - received);
    CheckInt((long long)expected, (long long)received, "every byte of every cycle arrived");
    ExpectFlat(&early, &late);
    UnloadDriver(&api);
}

static const Scenario SCENARIOS[] = {
    {"reload_cycles", ReloadCycles},
    {"unload_without_done", UnloadWithoutDone},
    {"init_done_cycles", InitDoneCycles},
};

int main(int argc, char **argv)
{
    return RunTestProgram(argc, argv, SCENARIOS, ARRAY_SIZE(SCENARIOS));
}
