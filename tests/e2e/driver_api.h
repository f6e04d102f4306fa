// The display module as a host sees it: loaded by file name, its eight
// entry points found by name and called through stdcall pointers.
#pragma once

#include <windows.h>

#include "process_probe.h"

struct DriverApi {
    HMODULE module;
    const char *(__stdcall *Init)(unsigned char columns, unsigned char rows,
                                  const char *parameters, unsigned char *ok);
    void(__stdcall *Done)(void);
    void(__stdcall *Write)(const char *text);
    void(__stdcall *SetPosition)(unsigned char x, unsigned char y);
    void(__stdcall *PowerResume)(void);
    const char *(__stdcall *Usage)(void);
    const char *(__stdcall *DefaultParameters)(void);
    const char *(__stdcall *DriverName)(void);
};

// Loads the module from path and resolves every entry point by its plain
// or its decorated name. Returns false, with a message printed, when the
// module or an entry point is missing.
bool LoadDriver(DriverApi *api, const char *path, bool decoratedNames);

// Starts a scenario: empties the line, then loads the module given to the
// test program by its plain names. A failure counts as a failed check.
bool LoadFreshDriver(DriverApi *api);

// Runs Init on parameters and checks that it sets up: ok 1, the driver
// name, and the power-resume sequence on the line.
void ExpectSetUp(DriverApi *api, const char *parameters);

// Starts a scenario: LoadFreshDriver, then ExpectSetUp.
bool StartDriver(DriverApi *api, const char *parameters);

// Unloads the module; its state starts afresh at the next load.
void UnloadDriver(DriverApi *api);

// The module path the test program was given.
extern const char *driverPath;

// A host that starts and stops the display again and again: each cycle
// loads the module, runs Init on parameters, writes "cycle N", calls Done
// (unless done is false) and unloads it.
struct LoadCycles {
    const char *parameters;  // for Init in every cycle
    bool done;               // Done before unloading, as a well-behaved host does
    int count;               // how many cycles
    int probeAfter;          // the cycle after which early is taken
    ProcessProbe early;      // the process after cycle probeAfter
    ProcessProbe late;       // the process after the last cycle
};

// Runs the cycles and checks that every byte of every cycle arrives.
// Returns false, with a failed check, when a cycle could not run.
bool RunLoadCycles(LoadCycles *cycles);
