// Every export of the real module called through a bare pointer by an
// assembly trampoline: each must remove exactly its arguments from the
// stack, as stdcall asks, and keep EBX, ESI and EDI.
//
// Usage: stack_e2e.exe PATH-TO-DLL [SCENARIO-FILTER]
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "display_bytes.h"
#include "driver_api.h"
#include "line.h"

static DriverApi api;

// Calls function with count 32-bit arguments (args[0] first, as the C
// declaration lists them) and returns how far the stack pointer moved over
// the call: 0 when the callee removed exactly its arguments, as stdcall
// asks. *registersKept is 1 when EBX, ESI and EDI came back as they were.
extern "C" long CallThroughPointer(FARPROC function, const unsigned *args, int count,
                                   int *registersKept);
asm(R"(
    .text
    .globl _CallThroughPointer
_CallThroughPointer:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $4, %esp
    movl %esp, -16(%ebp)        # the stack pointer before the arguments
    movl $0x5EB0B0B0, %ebx      # values the callee must give back
    movl $0x5E51E51E, %esi
    movl $0x5ED1ED1E, %edi
    movl 12(%ebp), %edx
    movl 16(%ebp), %ecx
1:  testl %ecx, %ecx            # push the arguments, last first
    jz 2f
    pushl -4(%edx,%ecx,4)
    decl %ecx
    jmp 1b
2:  call *8(%ebp)
    movl %esp, %eax
    subl -16(%ebp), %eax
    xorl %ecx, %ecx
    cmpl $0x5EB0B0B0, %ebx
    jne 3f
    cmpl $0x5E51E51E, %esi
    jne 3f
    cmpl $0x5ED1ED1E, %edi
    jne 3f
    incl %ecx
3:  movl 20(%ebp), %edx
    movl %ecx, (%edx)
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

// Controls for the trampoline: one callee that removes its two arguments,
// one that leaves them to the caller.
static int __stdcall RemovesTwo(int a, int b)
{
    return a + b;
}

static int __cdecl LeavesTwo(int a, int b)
{
    return a - b;
}

static long StackDrift(FARPROC function, const unsigned *args, int count, const char *name)
{
    int registersKept = 0;
    long drift = CallThroughPointer(function, args, count, &registersKept);
    char what[96];
    snprintf(what, sizeof what, "%s keeps EBX, ESI and EDI", name);
    CheckTrue(registersKept == 1, what);
    return drift;
}

// Every one of the sixteen export names, called through a bare pointer with
// dirty high bytes in its 8-bit slots, leaves the stack pointer where it was.
static void StackPerExport(void)
{
    const unsigned two[] = {7, 5};
    CheckInt(0, StackDrift((FARPROC)(AnyFunction)RemovesTwo, two, 2, "stdcall control"), "stdcall control");
    CheckInt(-8, StackDrift((FARPROC)(AnyFunction)LeavesTwo, two, 2, "cdecl control"),
             "cdecl control: its 8 bytes of arguments left on the stack");

    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0;
    const unsigned initArgs[] = {0xDEAD0014u, 0xBEEF0002u, (unsigned)(UINT_PTR)GOOD_PARAMETERS,
                                 (unsigned)(UINT_PTR)&ok};
    const unsigned setPositionArgs[] = {0xFFFFFF01u, 0x12345602u};
    const unsigned writeArgs[] = {(unsigned)(UINT_PTR) "stack"};
    const struct {
        const char *name;
        const unsigned *args;
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
    ExpectedRuns line = {};
    static const unsigned char cursor[] = CURSOR_COMMAND(0x14);
    for (int run = 0; run < 3; run++)
        AddRun(&line, POWER_RESUME, sizeof POWER_RESUME);
    AddRun(&line, cursor, sizeof cursor);
    AddRun(&line, cursor, sizeof cursor);
    AddText(&line, "stackstack");
    ExpectRuns(&line, "each call did its work");
    DoneAndUnload(&api);
}

static const Scenario SCENARIOS[] = {
    {"stack_per_export", StackPerExport},
};

int main(int argc, char **argv)
{
    return RunTestProgram(argc, argv, SCENARIOS, ARRAY_SIZE(SCENARIOS));
}
