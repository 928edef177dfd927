// The probe in i386 assembly: esi keeps the stack pointer across the call
// (it is preserved by every Windows calling convention).
#include "StackProbe.h"

int StackBytesLeftByCall(const void* pfn, const DWORD* pArgs, int nArgs)
{
    int nLeft;
    int nCount = nArgs;
    __asm__ __volatile__("movl %%esp, %%esi\n\t"
                         "1:\n\t"
                         "testl %%ecx, %%ecx\n\t"
                         "jz 2f\n\t"
                         "pushl -4(%%edi,%%ecx,4)\n\t"
                         "decl %%ecx\n\t"
                         "jmp 1b\n\t"
                         "2:\n\t"
                         "call *%%ebx\n\t"
                         "movl %%esi, %%eax\n\t"
                         "subl %%esp, %%eax\n\t"
                         "movl %%esi, %%esp\n\t"
                         : "=a"(nLeft), "+c"(nCount)
                         : "b"(pfn), "D"(pArgs)
                         : "esi", "edx", "memory", "cc");
    return nLeft;
}
