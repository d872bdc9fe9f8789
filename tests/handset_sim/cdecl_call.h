// i686 only: calls a function with raw 32-bit argument words and measures what the callee
// did to ESP, to tell a caller-cleans (cdecl) entry point from a callee-cleans one. A
// compiler-generated call cannot show this: the epilogue restores ESP from EBP and hides it.
#pragma once

#if defined(__i386__)
// Pushes `count` words of `args` (last first), calls `fn`, and returns the result. `*espDelta`
// is ESP after the call minus ESP before the pushes: -4 * count for a cdecl callee, 0 for a
// stdcall one. ESP is restored either way.
inline int CallWithWords(void* fn, const int* args, int count, int* espDelta)
{
    int result;
    int delta;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "movl %%edx, %%ecx\n"
        "1:\n\t"
        "testl %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "pushl -4(%%edi,%%ecx,4)\n\t"
        "decl %%ecx\n\t"
        "jmp 1b\n"
        "2:\n\t"
        "call *%%ebx\n\t"
        "movl %%esp, %%ecx\n\t"
        "subl %%esi, %%ecx\n\t"
        "movl %%esi, %%esp\n\t"
        : "=a"(result), "=&c"(delta), "+d"(count)
        : "b"(fn), "D"(args)
        : "esi", "memory", "cc");
    *espDelta = delta;
    return result;
}
#endif
