// Calling a function through a bare pointer from assembly, to see what the
// call did to the stack pointer and the callee-saved registers. The build
// picks the machine's own file: stack_trampoline_i386.cpp or _x86_64.cpp.
#pragma once

#include <windows.h>

// Calls function with count arguments (args[0] first, as the C declaration
// lists them; at most four), each in a slot of its own, and returns how far
// the stack pointer moved over the call: 0 when the callee kept the
// machine's convention (on i386 stdcall: it removed exactly its arguments).
// *registersKept is 1 when every callee-saved register came back as it was.
extern "C" long CallThroughPointer(FARPROC function, const UINT_PTR *args, int count,
                                   int *registersKept);

// Controls, each called with two arguments: one keeps the convention, one
// leaves the stack pointer 8 bytes off, one changes a callee-saved register.
extern "C" void KeepsConvention(void);
extern "C" void ShiftsStack(void);
extern "C" void ClobbersRegister(void);

// The callee-saved registers the trampoline checks, for messages.
extern const char CALLEE_SAVED_REGISTERS[];
