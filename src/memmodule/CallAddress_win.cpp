// CallAddress for 32-bit x86. The stack pointer is kept in ESI, which every
// callee preserves, and put back after the call: that undoes both the ten
// pushes and whatever the callee popped itself, so stdcall and cdecl callees
// of any argument count leave the caller's stack as it was. The stack is
// aligned to 16 bytes at the call for callees that rely on it.
#include "memmodule/CallAddress.h"

std::uint32_t CallAddress(std::uint32_t address, std::uint32_t a1, std::uint32_t a2,
                          std::uint32_t a3, std::uint32_t a4, std::uint32_t a5, std::uint32_t a6,
                          std::uint32_t a7, std::uint32_t a8, std::uint32_t a9, std::uint32_t a10) {
    const std::uint32_t args[10] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10};
    const std::uint32_t* argsPointer = args;
    std::uint32_t result;
    asm volatile("movl %%esp, %%esi\n\t"
                 "andl $-16, %%esp\n\t"
                 "subl $8, %%esp\n\t" // 8 + 40 bytes of arguments keep the alignment
                 "pushl 36(%1)\n\t"
                 "pushl 32(%1)\n\t"
                 "pushl 28(%1)\n\t"
                 "pushl 24(%1)\n\t"
                 "pushl 20(%1)\n\t"
                 "pushl 16(%1)\n\t"
                 "pushl 12(%1)\n\t"
                 "pushl 8(%1)\n\t"
                 "pushl 4(%1)\n\t"
                 "pushl 0(%1)\n\t"
                 "call *%0\n\t"
                 "movl %%esi, %%esp"
                 : "=a"(result), "+d"(argsPointer)
                 : "0"(address)
                 : "ecx", "esi", "memory", "cc");
    return result;
}
