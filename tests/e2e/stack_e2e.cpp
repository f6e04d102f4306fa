// The group "stack", on i386: every entry point of the real module called
// through a bare pointer by an assembly trampoline. Each must keep stdcall,
// removing exactly its arguments from the stack, as its host's callers expect.
#include <windows.h>

#include "display_bytes.h"
#include "driver_api.h"
#include "harness.h"
#include "line.h"

typedef void (*AnyFunction)(void);  // casting a function pointer through it is allowed

// Calls function with count arguments (args[0] first), pushed last first as
// stdcall and cdecl callers do; returns how far the stack pointer moved over
// the call: 0 when the callee removed exactly its arguments.
extern "C" long CallThroughPointer(AnyFunction function, const UINT_PTR *args, int count);
// A control for the trampoline: cdecl, it leaves its arguments on the stack.
extern "C" void LeavesArguments(void);

asm(R"(
    .text
_CallThroughPointer:
    pushl %ebp
    movl %esp, %ebp
    movl 12(%ebp), %edx
    movl 16(%ebp), %ecx
    jecxz 2f
1:  pushl -4(%edx,%ecx,4)       # the arguments, last first
    loop 1b
2:  call *8(%ebp)
    movl %esp, %eax             # the move from %ebp, where the arguments began
    subl %ebp, %eax
    movl %ebp, %esp
    popl %ebp
    ret
_LeavesArguments:
    ret
)");

// Each entry point through its plain name, with dirty high bytes in its
// 8-bit slots (the decorated names share the addresses: check_exports.sh).
static void StackPerExport(void)
{
    DriverApi api;
    if (!LoadFreshDriver(&api))
        return;
    unsigned char ok = 0;
    const UINT_PTR initArgs[] = {0xDEAD0014u, 0xBEEF0002u, (UINT_PTR)GOOD_PARAMETERS, (UINT_PTR)&ok};
    const UINT_PTR setPositionArgs[] = {0xFFFFFF01u, 0x12345602u};
    const UINT_PTR writeArgs[] = {(UINT_PTR) "stack"};
    const struct {
        const char *name;
        AnyFunction function;
        const UINT_PTR *args;
        int count;
        long move;  // 0 but for the control
    } calls[] = {
        {"cdecl control", LeavesArguments, setPositionArgs, 2, -8},
        {"Init", (AnyFunction)api.Init, initArgs, 4, 0},
        {"DriverName", (AnyFunction)api.DriverName, NULL, 0, 0},
        {"DefaultParameters", (AnyFunction)api.DefaultParameters, NULL, 0, 0},
        {"Usage", (AnyFunction)api.Usage, NULL, 0, 0},
        {"Status", (AnyFunction)api.Status, NULL, 0, 0},
        {"PowerResume", (AnyFunction)api.PowerResume, NULL, 0, 0},
        {"SetPosition", (AnyFunction)api.SetPosition, setPositionArgs, 2, 0},
        {"Write", (AnyFunction)api.Write, writeArgs, 1, 0},
        {"Done", (AnyFunction)api.Done, NULL, 0, 0},
    };
    for (size_t i = 0; i < ARRAY_SIZE(calls); i++)
        CheckInt(calls[i].move, CallThroughPointer(calls[i].function, calls[i].args, calls[i].count),
                 calls[i].name);
    CheckInt(1, ok, "Init through the bare pointer set up");
    // Set up 20 x 2 (the low bytes); the cursor at column 1 of row 2.
    EXPECT_LINE(POWER_RESUME POWER_RESUME CURSOR_AT("\x14") "stack" CLOSING, "each call did its work");
    UnloadDriver(&api);
}

static const Scenario SCENARIOS[] = {
    {"stack_per_export", StackPerExport},
};
SCENARIO_GROUP(STACK_GROUP, "stack");
