// The trampoline on i386: the arguments are pushed last first, as stdcall
// and cdecl callers do; EBX, ESI and EDI must survive the call.
#include "stack_trampoline.h"

const char CALLEE_SAVED_REGISTERS[] = "EBX, ESI and EDI";

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
