// The display module under test, loaded as a host loads it (see
// tools/common/module_loader.h), with failures counted as failed checks.
#pragma once

#include "../../tools/common/module_loader.h"
#include "../../tools/common/system_text.h"

#include "process_probe.h"

// A parameter string that sets up on the test's line.
static const char GOOD_PARAMETERS[] = "COM3,9600,8,N,1";

// The entry points with their 8-bit arguments widened to the 32-bit slots
// they travel in, so that a test can dirty the high bytes.
typedef const char *(__stdcall *InitSlots)(unsigned, unsigned, const char *, unsigned char *);
typedef void(__stdcall *SetPositionSlots)(unsigned, unsigned);
typedef void (*AnyFunction)(void);  // casting a function pointer through it is allowed

// Loads the module from path by its plain or its decorated names. Returns
// false, with the reason printed, when the module or an entry point is
// missing.
bool LoadDriver(DriverApi *api, const char *path, bool decoratedNames);

// Starts a scenario: empties the line, then loads the module given to the
// test program by its plain names. A failure counts as a failed check.
bool LoadFreshDriver(DriverApi *api);

// Runs Init on parameters and checks that it sets up: ok 1, the driver
// name, and the power-resume sequence on the line.
void ExpectSetUp(DriverApi *api, const char *parameters);

// Starts a scenario: LoadFreshDriver, then ExpectSetUp.
bool StartDriver(DriverApi *api, const char *parameters);

// Ends a scenario: Done, which must send the closing sequence, then unload.
void DoneAndUnload(DriverApi *api);

// Room for any text the module composes from a message and a system text.
enum { COMPOSED_TEXT_SIZE = 1200 };

// What the module composes for a failure: message, " : " and the system's
// text for code (its line end included). With asLogged, "Error " comes
// first, as the log shows it. Returns text.
const char *ExpectedErrorText(char (&text)[COMPOSED_TEXT_SIZE], const char *message,
                              unsigned long code, bool asLogged = false);

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
