// CallAddress with callees of both clean-up conventions and of fewer
// parameters than ten: the arguments arrive in order, the 32-bit result comes
// back, and the caller's stack pointer is where it was.
#include <cstdint>
#include <gtest/gtest.h>

#include "memmodule/CallAddress.h"

namespace {

std::uint32_t StackPointer() {
    std::uint32_t sp;
    asm volatile("movl %%esp, %0" : "=r"(sp));
    return sp;
}

std::uint32_t seen[10];

// Each callee weighs its arguments by position so that any swap shows.
std::uint32_t Weigh(int count, const std::uint32_t* args) {
    std::uint32_t sum = 0;
    for (int i = 0; i < count; ++i) {
        seen[i] = args[i];
        sum += args[i] * static_cast<std::uint32_t>(i + 1);
    }
    return sum;
}

extern "C" std::uint32_t __stdcall StdcallTen(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                              std::uint32_t d, std::uint32_t e, std::uint32_t f,
                                              std::uint32_t g, std::uint32_t h, std::uint32_t i,
                                              std::uint32_t j) {
    const std::uint32_t args[] = {a, b, c, d, e, f, g, h, i, j};
    return Weigh(10, args);
}

extern "C" std::uint32_t __stdcall StdcallThree(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const std::uint32_t args[] = {a, b, c};
    return Weigh(3, args);
}

extern "C" std::uint32_t __stdcall StdcallNone() {
    return 0xFFFFFFFF;
}

extern "C" std::uint32_t __cdecl CdeclTen(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                          std::uint32_t d, std::uint32_t e, std::uint32_t f,
                                          std::uint32_t g, std::uint32_t h, std::uint32_t i,
                                          std::uint32_t j) {
    const std::uint32_t args[] = {a, b, c, d, e, f, g, h, i, j};
    return Weigh(10, args);
}

extern "C" std::uint32_t __cdecl CdeclSix(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                          std::uint32_t d, std::uint32_t e, std::uint32_t f) {
    const std::uint32_t args[] = {a, b, c, d, e, f};
    return Weigh(6, args);
}

extern "C" std::uint32_t __fastcall FastcallTwo(std::uint32_t a, std::uint32_t b) {
    return a + b; // the arguments are in registers, so what it gets is not ours
}

std::uint32_t AddressOf(const void* function) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(function));
}

TEST(CallAddress, PassesArgumentsInOrderAndRestoresTheStack) {
    struct Case {
        const char* what;
        const void* callee;
        int takes;
    } cases[] = {
        {"stdcall, ten", reinterpret_cast<const void*>(&StdcallTen), 10},
        {"stdcall, three", reinterpret_cast<const void*>(&StdcallThree), 3},
        {"cdecl, ten", reinterpret_cast<const void*>(&CdeclTen), 10},
        {"cdecl, six", reinterpret_cast<const void*>(&CdeclSix), 6},
    };
    const std::uint32_t args[10] = {0x01,     0x10,      0x100,      0x1000, 0x10000,
                                    0x100000, 0x1000000, 0x10000000, 0x7,    0x9};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::uint32_t expected = 0;
        for (int i = 0; i < c.takes; ++i) {
            expected += args[i] * static_cast<std::uint32_t>(i + 1);
        }
        // Many calls in a row: a stack that drifted by even 4 bytes a call
        // would be far off by the end.
        const std::uint32_t before = StackPointer();
        std::uint32_t result = 0;
        for (int round = 0; round < 1000; ++round) {
            result = CallAddress(AddressOf(c.callee), args[0], args[1], args[2], args[3], args[4],
                                 args[5], args[6], args[7], args[8], args[9]);
        }
        EXPECT_EQ(StackPointer(), before);
        EXPECT_EQ(result, expected);
        for (int i = 0; i < c.takes; ++i) {
            EXPECT_EQ(seen[i], args[i]) << "argument " << i + 1;
        }
    }
}

TEST(CallAddress, ReturnsTheWholeThirtyTwoBitResult) {
    const std::uint32_t before = StackPointer();
    EXPECT_EQ(CallAddress(AddressOf(reinterpret_cast<const void*>(&StdcallNone))), 0xFFFFFFFFu);
    EXPECT_EQ(
        static_cast<std::int32_t>(CallAddress(AddressOf(reinterpret_cast<const void*>(&CdeclSix)),
                                              static_cast<std::uint32_t>(-1))),
        -1);
    EXPECT_EQ(StackPointer(), before);
}

TEST(CallAddress, SurvivesACalleeThatUsesOtherRegisters) {
    // A fastcall callee reads ECX and EDX, which hold whatever CallAddress
    // left there; it must still return normally with the stack intact.
    const std::uint32_t before = StackPointer();
    CallAddress(AddressOf(reinterpret_cast<const void*>(&FastcallTwo)), 1, 2);
    EXPECT_EQ(StackPointer(), before);
}

} // namespace
