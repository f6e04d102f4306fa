// The group "stack", on i386: every export of the real module called
// through a bare pointer by an assembly trampoline. Each must keep stdcall,
// removing exactly its arguments from the stack, and keep the callee-saved
// registers EBX, ESI and EDI.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"

// Calls function with count arguments (args[0] first, as the C declaration
// lists them), pushed last first as stdcall and cdecl callers do, and
// returns how far the stack pointer moved over the call: 0 when the callee
// removed exactly its arguments. *registersKept is 1 when EBX, ESI and EDI
// came back as they were.
extern "C" long CallThroughPointer(FARPROC function, const UINT_PTR *args, int count,
                                   int *registersKept);
// Controls, each called with two arguments: one keeps the convention, one
// leaves the stack pointer 8 bytes off, one changes EBX.
extern "C" void KeepsConvention(void);
extern "C" void ShiftsStack(void);
extern "C" void ClobbersRegister(void);

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

    .globl _KeepsConvention     # stdcall with two arguments
_KeepsConvention:
    ret $8
    .globl _ShiftsStack         # cdecl: leaves its 8 bytes to the caller
_ShiftsStack:
    ret
    .globl _ClobbersRegister
_ClobbersRegister:
    xorl %ebx, %ebx
    ret $8
)");

static DriverApi api;

// The stack pointer's drift over the call; whether the registers survived
// is checked against keepsRegisters.
static long StackDrift(FARPROC function, const UINT_PTR *args, int count, const char *name,
                       bool keepsRegisters = true)
{
    int registersKept = 0;
    long drift = CallThroughPointer(function, args, count, &registersKept);
    char what[128];
    snprintf(what, sizeof what, "%s %s EBX, ESI and EDI", name, keepsRegisters ? "keeps" : "changes");
    CheckInt(keepsRegisters, registersKept, what);
    return drift;
}

// Every one of the eighteen export names, called through a bare pointer with
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
        {"DISPLAYDLL_Status", NULL, 0},                 {"DISPLAYDLL_Status@0", NULL, 0},
        {"DISPLAYDLL_Usage", NULL, 0},                  {"DISPLAYDLL_Usage@0", NULL, 0},
        {"DISPLAYDLL_Write", writeArgs, 1},             {"DISPLAYDLL_Write@4", writeArgs, 1},
    };
    for (size_t i = 0; i < ARRAY_SIZE(exports); i++) {
        FARPROC function = GetProcAddress((HMODULE)api.module, exports[i].name);
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
