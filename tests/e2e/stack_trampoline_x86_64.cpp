// The trampoline on x86-64: one calling convention, the first four
// arguments in RCX, RDX, R8 and R9 with 32 bytes of shadow space above the
// return address, the caller cleaning up; RBX, RSI, RDI and R12 to R15 must
// survive the call (RBP is the trampoline's own frame).
#include "stack_trampoline.h"

const char CALLEE_SAVED_REGISTERS[] = "RBX, RSI, RDI and R12 to R15";

asm(R"(
    .text
    .globl CallThroughPointer
CallThroughPointer:
    pushq %rbp
    movq %rsp, %rbp
    pushq %rbx
    pushq %rsi
    pushq %rdi
    pushq %r12
    pushq %r13
    pushq %r14
    pushq %r15
    subq $56, %rsp              # shadow space and three slots, 16-aligned
    movq %rcx, -80(%rbp)        # the function
    movq %r9, -72(%rbp)         # where to say whether the registers survived
    movq %rsp, -64(%rbp)        # the stack pointer before the call
    movq %rdx, %rax             # the arguments, at most four, into registers
    movl %r8d, %r10d
    cmpl $1, %r10d
    jb 1f
    movq (%rax), %rcx
    cmpl $2, %r10d
    jb 1f
    movq 8(%rax), %rdx
    cmpl $3, %r10d
    jb 1f
    movq 16(%rax), %r8
    cmpl $4, %r10d
    jb 1f
    movq 24(%rax), %r9
1:  movabsq $0x5EB0B0B05EB0B0B0, %rbx   # values the callee must give back
    movabsq $0x5E51E51E5E51E51E, %rsi
    movabsq $0x5ED1ED1E5ED1ED1E, %rdi
    movabsq $0x5E12121212121212, %r12
    movabsq $0x5E13131313131313, %r13
    movabsq $0x5E14141414141414, %r14
    movabsq $0x5E15151515151515, %r15
    callq *-80(%rbp)
    movq %rsp, %rax
    subq -64(%rbp), %rax
    xorl %ecx, %ecx
    movabsq $0x5EB0B0B05EB0B0B0, %rdx
    cmpq %rdx, %rbx
    jne 3f
    movabsq $0x5E51E51E5E51E51E, %rdx
    cmpq %rdx, %rsi
    jne 3f
    movabsq $0x5ED1ED1E5ED1ED1E, %rdx
    cmpq %rdx, %rdi
    jne 3f
    movabsq $0x5E12121212121212, %rdx
    cmpq %rdx, %r12
    jne 3f
    movabsq $0x5E13131313131313, %rdx
    cmpq %rdx, %r13
    jne 3f
    movabsq $0x5E14141414141414, %rdx
    cmpq %rdx, %r14
    jne 3f
    movabsq $0x5E15151515151515, %rdx
    cmpq %rdx, %r15
    jne 3f
    incl %ecx
3:  movq -72(%rbp), %rdx
    movl %ecx, (%rdx)
    leaq -56(%rbp), %rsp
    popq %r15
    popq %r14
    popq %r13
    popq %r12
    popq %rdi
    popq %rsi
    popq %rbx
    popq %rbp
    ret

    .globl KeepsConvention
KeepsConvention:
    ret
    .globl ShiftsStack          # returns as if it removed 8 bytes of arguments
ShiftsStack:
    ret $8
    .globl ClobbersRegister
ClobbersRegister:
    xorl %ebx, %ebx
    ret
)");
