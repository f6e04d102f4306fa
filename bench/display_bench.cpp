// What the display module costs next to the write it makes.
//
// For each call it measures the median time per call over batches, and in
// the same run its floor: a raw write of the same bytes on a handle of its
// own to the same port, opened and configured as the module does it.
// Runs on the virtual serial line of the tests, its far end drained, under
// Wine or natively; the platform's few calls are in bench_platform_*.cpp.
//
// Usage: display_bench[.exe] MODULE [BATCHES [CALLS]]
// The empty module it loads for the floor of a whole cycle lies beside it.
#include <stdio.h>
#include <stdlib.h>

#include "bench_platform.h"
#include "../tests/e2e/display_bytes.h"
#include "../tools/common/array_size.h"
#include "../tools/common/module_loader.h"
#include "../tools/common/module_loader_platform.h"

enum { DEFAULT_BATCHES = 7, DEFAULT_CALLS = 10000, MAX_BATCHES = 101, CYCLE_BATCHES = 11,
       CYCLES_PER_BATCH = 20, PATH_SIZE = 1024, PARAMETERS_SIZE = PATH_SIZE + 32 };

static const char CURSOR[] = CURSOR_AT("\x14");
static const char TEXT40[] = "Total due              EUR         12.34";
static const char LOG_LINE40[] =
    "12:34:56 08/12/26 Write Total due              EUR         12.34\n";
static_assert(sizeof TEXT40 - 1 == 40, "a 40-character text");

static DriverApi api;
static const char *driverPath;
static const char *modulePort;           // the line's name in the parameter string
static char emptyModulePath[PATH_SIZE];  // the floor of loading a module
static FILE *floorLog;                   // the floor's own log-like file
static int batches = DEFAULT_BATCHES, callsPerBatch = DEFAULT_CALLS;

static int CompareDoubles(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

static double Median(double *values, int count)
{
    qsort(values, count, sizeof *values, CompareDoubles);
    return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

// One call of the thing measured; i is the call's number in the batch.
typedef void (*Call)(int i);

static void ModuleWrite(int) { api.Write(TEXT40); }
static void ModuleSetPosition(int) { api.SetPosition(1, 2); }
static void ModulePowerResume(int) { api.PowerResume(); }
static void FloorText(int) { FloorWrite(TEXT40, sizeof TEXT40 - 1); }
static void FloorCursor(int) { FloorWrite(CURSOR, sizeof CURSOR - 1); }
static void FloorPowerResume(int) { FloorWrite(POWER_RESUME, sizeof POWER_RESUME - 1); }
static void ModuleStatus(int) { api.Status(); }
// Status asks the port for its state: its floor is that question.
static void FloorState(int) { FloorStatus(); }

// The floor of a logged call: the port write plus a log line of the same
// size written and flushed to a file, as a text stream does it.
static void FloorLoggedText(int)
{
    FloorText(0);
    fputs(LOG_LINE40, floorLog);
    fflush(floorLog);
}

struct Comparison {
    const char *name;
    Call module;
    Call floor;
    Call loggedFloor;  // with logging on: the floor plus the log line's own write
};

static const Comparison COMPARISONS[] = {
    {"Write (40 characters)", ModuleWrite, FloorText, FloorLoggedText},
    {"SetPosition", ModuleSetPosition, FloorCursor, NULL},
    {"PowerResume", ModulePowerResume, FloorPowerResume, NULL},
    {"Status", ModuleStatus, FloorState, NULL},
};

// What one comparison measured: the median time per call of module, floor
// and (when given) logged floor, and how far the module's per-batch ratio to
// each floor spread over the batches.
struct Figures {
    double median[3];
    double ratioMin[3], ratioMax[3];  // [1] against the floor, [2] the logged floor
};

// Within a batch module, floor and logged floor take turns call by call,
// each call timed on its own, so that whatever else the machine does hits
// them alike.
static Figures Measure(const Comparison *c, bool logged)
{
    double times[3][MAX_BATCHES];
    Call calls[3] = {c->module, c->floor, logged ? c->loggedFloor : NULL};
    int taking = calls[2] ? 3 : 2;  // the logged floor, when given, is last
    Figures figures = {};
    for (int b = 0; b < batches; b++) {
        double sums[3] = {0, 0, 0};
        for (int i = 0; i < callsPerBatch; i++)
            for (int turn = 0; turn < taking; turn++) {
                // Who goes first rotates among those taking turns, so that
                // each meets the line just after another's write as often.
                int k = (turn + i) % taking;
                double start = Seconds();
                calls[k](i);
                sums[k] += Seconds() - start;
            }
        for (int k = 1; k < 3; k++) {
            if (!calls[k])
                continue;
            double ratio = sums[0] / sums[k];
            figures.ratioMin[k] = b == 0 || ratio < figures.ratioMin[k] ? ratio : figures.ratioMin[k];
            figures.ratioMax[k] = b == 0 || ratio > figures.ratioMax[k] ? ratio : figures.ratioMax[k];
        }
        for (int k = 0; k < 3; k++)
            times[k][b] = sums[k] / callsPerBatch;
    }
    for (int k = 0; k < 3; k++)
        figures.median[k] = calls[k] ? Median(times[k], batches) : 0;
    return figures;
}

// The medians and their ratio, then the spread of the per-batch ratios.
static void Report(const char *name, const Figures *f)
{
    printf("  %-24s %9.2f us %9.2f us %7.3f (%.3f-%.3f)", name, f->median[0] * 1e6,
           f->median[1] * 1e6, f->median[0] / f->median[1], f->ratioMin[1], f->ratioMax[1]);
    if (f->median[2] > 0)
        printf("   floor+log %8.2f us, ratio %6.3f (%.3f-%.3f)", f->median[2] * 1e6,
               f->median[0] / f->median[2], f->ratioMin[2], f->ratioMax[2]);
    printf("\n");
}

static bool LoadModule(void)
{
    char error[512];
    if (LoadDriverApi(&api, driverPath, false, error, sizeof error))
        return true;
    printf("%s\n", error);
    return false;
}

static bool RunCalls(bool logged)
{
    char parameters[PARAMETERS_SIZE];
    snprintf(parameters, sizeof parameters, "%s,9600,8,N,1%s", modulePort, logged ? "Log" : "");
    if (!LoadModule())
        return false;
    unsigned char ok = 0;
    const char *result = api.Init(20, 2, parameters, &ok);
    if (!ok) {
        printf("Init(%s) failed: %s\n", parameters, result);
        UnloadDriver(&api);
        return false;
    }
    printf("\n%s (%s): median per call over %d batches of %d calls\n",
           logged ? "logging on" : "logging off", parameters, batches, callsPerBatch);
    printf("  %-24s %12s %12s %7s %s\n", "call", "module", "floor", "ratio",
           "(lowest-highest batch)");
    for (size_t i = 0; i < ARRAY_SIZE(COMPARISONS); i++) {
        Figures figures = Measure(&COMPARISONS[i], logged);
        Report(COMPARISONS[i].name, &figures);
    }
    api.Done();
    UnloadDriver(&api);
    return true;
}

static void ModuleCycle(int)
{
    char parameters[PARAMETERS_SIZE];
    snprintf(parameters, sizeof parameters, "%s,9600,8,N,1", modulePort);
    if (!LoadModule())
        return;
    api.Init(20, 2, parameters, NULL);
    api.Done();
    UnloadDriver(&api);
}

// Loading an empty module and doing the port's work by hand: open,
// configure, the two sequences the module sends, close.
static void FloorCycle(int)
{
    char error[512];
    void *empty = OpenModule(emptyModulePath, error, sizeof error);
    OpenFloorPort(modulePort);
    FloorWrite(POWER_RESUME, sizeof POWER_RESUME - 1);
    FloorWrite(CLOSING, sizeof CLOSING - 1);
    CloseFloorPort();
    if (empty)
        CloseModule(empty);
}

// The floor cycle plus what the module's first Init does with its log file
// even with logging off: make the folder, create or empty the file, and
// close it at unload.
static void FloorCycleWithLogFile(int)
{
    FloorCycle(0);
    MakeFolder("logs");
    FILE *file = fopen("logs/floor.log", "w");
    if (file)
        fclose(file);
}

static void RunCycles(void)
{
    static const Comparison cycle = {"load+Init+Done+unload", ModuleCycle, FloorCycle,
                                     FloorCycleWithLogFile};
    int saved = batches, savedCalls = callsPerBatch;
    batches = CYCLE_BATCHES, callsPerBatch = CYCLES_PER_BATCH;
    CloseFloorPort();  // the cycle opens the port itself
    Figures figures = Measure(&cycle, true);
    printf("\nwhole life: median per cycle over %d batches of %d cycles; floor+log adds the log file\n",
           batches, callsPerBatch);
    Report(cycle.name, &figures);
    batches = saved, callsPerBatch = savedCalls;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: display_bench MODULE [BATCHES [CALLS]]\n");
        return 2;
    }
    driverPath = argv[1];
    if (argc > 2)
        batches = atoi(argv[2]);
    if (argc > 3)
        callsPerBatch = atoi(argv[3]);
    if (batches < 5 || batches > MAX_BATCHES || callsPerBatch < 1) {
        fprintf(stderr, "batches must be 5..%d and calls at least 1\n", MAX_BATCHES);
        return 2;
    }
    modulePort = ModulePortName();
    if (!modulePort) {
        fprintf(stderr, "no line: run it through tests/e2e/run_on_line.sh\n");
        return 2;
    }
    // A floor cycle that failed to load it would cost less than one that did.
    EmptyModulePath(emptyModulePath, sizeof emptyModulePath);
    char error[512];
    void *empty = OpenModule(emptyModulePath, error, sizeof error);
    if (!empty) {
        printf("%s\n", error);
        return 1;
    }
    CloseModule(empty);

    // The floor's own handle on the module's line.
    MakeFolder("floor");
    floorLog = fopen("floor/floor.log", "w");
    if (!OpenFloorPort(FloorPortName()) || !floorLog) {
        printf("cannot open the floor's port or file\n");
        return 1;
    }
    bool ok = RunCalls(false) && RunCalls(true);
    RunCycles();
    ReportModuleFile(driverPath);
    fclose(floorLog);
    return ok ? 0 : 1;
}
