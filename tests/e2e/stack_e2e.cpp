// The group "stack": every export of the real module called through a bare
// pointer by an assembly trampoline. Each must leave the stack pointer as
// the machine's convention asks (on i386, stdcall: it removes exactly its
// arguments) and keep the callee-saved registers.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"
#include "stack_trampoline.h"

static DriverApi api;

// The stack pointer's drift over the call; whether the registers survived
// is checked against keepsRegisters.
static long StackDrift(FARPROC function, const UINT_PTR *args, int count, const char *name,
                       bool keepsRegisters = true)
{
    int registersKept = 0;
    long drift = CallThroughPointer(function, args, count, &registersKept);
    char what[128];
    snprintf(what, sizeof what, "%s %s %s", name, keepsRegisters ? "keeps" : "changes",
             CALLEE_SAVED_REGISTERS);
    CheckInt(keepsRegisters, registersKept, what);
    return drift;
}

// Every one of the sixteen export names, called through a bare pointer with
// dirty high bytes in its 8-bit slots, leaves the stack pointer where it was
// and the callee-saved registers as they were.
static void StackPerExport(void)
{
    const UINT_PTR two[] = {7, 5};
    CheckInt(0, StackDrift((FARPROC)KeepsConvention, two, 2, "control"), "a control that keeps the convention");
    CheckTrue(StackDrift((FARPROC)ShiftsStack, two, 2, "shifting control") != 0,
              "a control that leaves the stack 8 bytes off is seen");
    StackDrift((FARPROC)ClobbersRegister, two, 2, "clobbering control", false);

    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0;
    const UINT_PTR initArgs[] = {0xDEAD0014u, 0xBEEF0002u, (UINT_PTR)GOOD_PARAMETERS, (UINT_PTR)&ok};
    const UINT_PTR setPositionArgs[] = {0xFFFFFF01u, 0x12345602u};
    const UINT_PTR writeArgs[] = {(UINT_PTR) "stack"};
    const struct {
        const char *name;
        const UINT_PTR *args;
        int count;
    } exports[] = {
        {"DISPLAYDLL_DefaultParameters", NULL, 0},      {"DISPLAYDLL_DefaultParameters@0", NULL, 0},
        {"DISPLAYDLL_Done", NULL, 0},                   {"DISPLAYDLL_Done@0", NULL, 0},
        {"DISPLAYDLL_DriverName", NULL, 0},             {"DISPLAYDLL_DriverName@0", NULL, 0},
        {"DISPLAYDLL_Init", initArgs, 4},               {"DISPLAYDLL_Init@16", initArgs, 4},
        {"DISPLAYDLL_PowerResume", NULL, 0},            {"DISPLAYDLL_PowerResume@0", NULL, 0},
        {"DISPLAYDLL_SetPosition", setPositionArgs, 2}, {"DISPLAYDLL_SetPosition@8", setPositionArgs, 2},
        {"DISPLAYDLL_Usage", NULL, 0},                  {"DISPLAYDLL_Usage@0", NULL, 0},
        {"DISPLAYDLL_Write", writeArgs, 1},             {"DISPLAYDLL_Write@4", writeArgs, 1},
    };
    for (size_t i = 0; i < ARRAY_SIZE(exports); i++) {
        FARPROC function = GetProcAddress(api.module, exports[i].name);
        CheckTrue(function != NULL, exports[i].name);
        if (function)
            CheckInt(0, StackDrift(function, exports[i].args, exports[i].count, exports[i].name),
                     exports[i].name);
    }
    CheckInt(1, ok, "Init through the bare pointer succeeded");
    // Init set up 20 x 2 (the low bytes), Init@16 found it set up; then two
    // of each run, the cursor at column 1 of row 2.
    EXPECT_LINE(POWER_RESUME POWER_RESUME POWER_RESUME CURSOR_AT("\x14") CURSOR_AT("\x14") "stackstack",
                "each call did its work");
    DoneAndUnload(&api);
}

static const Scenario SCENARIOS[] = {
    {"stack_per_export", StackPerExport},
};
SCENARIO_GROUP(STACK_GROUP, "stack");
