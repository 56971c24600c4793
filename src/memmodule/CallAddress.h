// Calls code at an address obtained at run time with ten 32-bit stack
// arguments, the first one pushed last so that it is the callee's first. The
// caller's stack is the same afterwards whether the callee removed its
// arguments itself (stdcall) or left that to the caller (cdecl), and whatever
// number of them it really takes, so any function of up to ten 32-bit
// parameters can be called. Pass 0 for the arguments the callee does not use.
// In the native build no image code can run; the call goes to the callCode
// function of the loader's services (MemoryModuleSystem.h), 0 by default.
#pragma once

#include <cstdint>

std::uint32_t CallAddress(std::uint32_t address, std::uint32_t a1 = 0, std::uint32_t a2 = 0,
                          std::uint32_t a3 = 0, std::uint32_t a4 = 0, std::uint32_t a5 = 0,
                          std::uint32_t a6 = 0, std::uint32_t a7 = 0, std::uint32_t a8 = 0,
                          std::uint32_t a9 = 0, std::uint32_t a10 = 0);
