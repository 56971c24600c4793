// Real DLLs of our own build loaded from memory under Wine: at their
// preferred base and elsewhere, bound to kernel32, user32 and a helper DLL
// (one import by ordinal), their code called, their exports compared with the
// system loader's, a resolver put in front of GetProcAddress, and the ways a
// real image makes the load fail.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>
#include <windows.h>

#include "FixtureImages.h"
#include "memmodule/CallAddress.h"
#include "memmodule/MemoryModule.h"

namespace {

constexpr char kFixture[] = "memmodule_fixture.dll";

std::uint32_t Call(const MemoryModule& module, const char* name, std::uint32_t a1 = 0,
                   std::uint32_t a2 = 0) {
    const std::uint32_t address = module.GetExportAddress(name);
    EXPECT_NE(address, 0u) << name;
    return address ? CallAddress(address, a1, a2) : 0;
}

std::vector<unsigned char> Snapshot(std::uint32_t base) {
    const unsigned char* start = reinterpret_cast<const unsigned char*>(std::uintptr_t{base});
    return std::vector<unsigned char>(start, start + MappedSize(base));
}

// The HIGHLOW sites of a mapped image, read from its relocation table.
std::set<std::uint32_t> HighLowSites(const std::vector<unsigned char>& region) {
    auto at32 = [&](std::uint32_t at) {
        std::uint32_t v;
        std::memcpy(&v, &region.at(at), 4);
        return v;
    };
    const std::uint32_t nt = at32(60);
    std::uint32_t offset = at32(nt + 120 + 8 * 5);
    const std::uint32_t end = offset + at32(nt + 124 + 8 * 5);
    std::set<std::uint32_t> sites;
    while (offset + 8 <= end && at32(offset) != 0) {
        const std::uint32_t page = at32(offset);
        const std::uint32_t size = at32(offset + 4);
        for (std::uint32_t i = 8; i + 2 <= size; i += 2) {
            const std::uint16_t entry =
                static_cast<std::uint16_t>(region.at(offset + i) | region.at(offset + i + 1) << 8);
            if ((entry >> 12) == 3) {
                sites.insert(page + (entry & 0xFFF));
            }
        }
        offset += size;
    }
    return sites;
}

class FixtureLoadTest : public testing::Test {
protected:
    void SetUp() override {
        image = ReadFixture(kFixture);
        ASSERT_GT(image.size(), 1024u) << "fixture missing beside the test program";
        preferred = PreferredBase(image);
        ASSERT_TRUE(RangeIsFree(preferred));
        TakeEntryLog();
    }
    void TearDown() override {
        module.Free();
        TakeEntryLog();
    }

    void ExpectWorkingFixture() {
        EXPECT_EQ(Call(module, "FixtureAdd", 40, 2), 42u);
        EXPECT_EQ(Call(module, "FixtureReadGlobal"), 1234u) << "relocated global";
        EXPECT_EQ(Call(module, "FixtureUpper"), static_cast<std::uint32_t>('Q')) << "user32";
        EXPECT_EQ(Call(module, "FixtureOrdinalSixteen"), 1616u) << "import by ordinal";
        EXPECT_EQ(Call(module, "7"), 77u) << "export by ordinal only";
    }

    Bytes image;
    std::uint32_t preferred = 0;
    MemoryModule module;
};

TEST_F(FixtureLoadTest, LoadsAtThePreferredBaseAndDetachesOnFree) {
    ASSERT_TRUE(module.LoadFromMemory(image));
    const std::uint32_t base = module.GetHandle();
    EXPECT_EQ(base, preferred);
    EXPECT_EQ(TakeEntryLog(), "fixture:0,1,0;");
    ExpectWorkingFixture();
    const std::uint32_t six[6] = {1, 2, 3, 4, 5, 6};
    const std::uint32_t byName = module.GetExportAddress("FixtureSix");
    EXPECT_EQ(module.GetExportAddress("6"), byName);
    EXPECT_EQ(CallAddress(byName, six[0], six[1], six[2], six[3], six[4], six[5]), 91u);
    EXPECT_EQ(static_cast<std::int32_t>(Call(module, "FixtureNegative")), -5);

    EXPECT_TRUE(module.Free());
    EXPECT_EQ(TakeEntryLog(), "fixture:0,0,0;");
    EXPECT_EQ(module.GetHandle(), 0u);
    EXPECT_TRUE(RangeIsFree(base));
}

TEST_F(FixtureLoadTest, MovesEveryHighLowSiteWhenThePreferredRangeIsTaken) {
    ASSERT_TRUE(module.LoadFromMemory(image));
    const std::uint32_t firstBase = module.GetHandle();
    ASSERT_EQ(firstBase, preferred);
    const std::vector<unsigned char> atPreferred = Snapshot(firstBase);
    const std::uint32_t globalRva = Call(module, "FixtureGlobalAddress") - firstBase;
    ASSERT_TRUE(module.Free());

    void* taken = VirtualAlloc(reinterpret_cast<void*>(std::uintptr_t{preferred}), 0x10000,
                               MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(taken, nullptr);
    ASSERT_TRUE(module.LoadFromMemory(image));
    const std::uint32_t base = module.GetHandle();
    EXPECT_NE(base, preferred);
    const std::vector<unsigned char> moved = Snapshot(base);
    ASSERT_EQ(moved.size(), atPreferred.size());

    const std::set<std::uint32_t> sites = HighLowSites(atPreferred);
    EXPECT_GE(sites.size(), 10u);
    const std::uint32_t delta = base - preferred;
    std::size_t wrong = 0;
    for (std::uint32_t at = 0; at < moved.size(); ++at) {
        if (sites.count(at)) {
            std::uint32_t before, after;
            std::memcpy(&before, &atPreferred[at], 4);
            std::memcpy(&after, &moved[at], 4);
            wrong += after != before + delta;
            at += 3;
        } else {
            wrong += moved[at] != atPreferred[at];
        }
    }
    EXPECT_EQ(wrong, 0u) << "bytes that are not as the preferred load plus the delta";

    ExpectWorkingFixture();
    EXPECT_EQ(Call(module, "FixtureGlobalAddress"), base + globalRva);
    EXPECT_TRUE(module.Free());
    VirtualFree(taken, 0, MEM_RELEASE);
}

TEST_F(FixtureLoadTest, ExportsAgreeWithTheSystemLoader) {
    HMODULE system = LoadLibraryA(FixturePath(kFixture).c_str());
    ASSERT_NE(system, nullptr);
    ASSERT_TRUE(module.LoadFromMemory(image)); // lands elsewhere: the system took the range
    const std::uint32_t base = module.GetHandle();
    const std::uint32_t systemBase = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(system));
    auto rvaOf = [](FARPROC procedure, std::uint32_t at) -> std::uint32_t {
        return procedure ? static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(procedure)) - at
                         : 0;
    };
    const char* names[] = {
        "FixtureAdd", "FixtureReadGlobal", "FixtureGlobalAddress",  "FixtureUpper",
        "FixtureSix", "FixtureNegative",   "FixtureOrdinalSixteen", "FixtureMissing",
        "fixtureadd"};
    for (const char* name : names) {
        const std::uint32_t ours = module.GetExportAddress(name);
        EXPECT_EQ(ours ? ours - base : 0, rvaOf(GetProcAddress(system, name), systemBase)) << name;
    }
    for (int ordinal = 0; ordinal <= 9; ++ordinal) {
        const std::uint32_t ours = module.GetExportAddress(std::to_string(ordinal));
        EXPECT_EQ(ours ? ours - base : 0,
                  rvaOf(GetProcAddress(system, MAKEINTRESOURCEA(ordinal)), systemBase))
            << "ordinal " << ordinal;
    }
    EXPECT_EQ(module.GetExportAddress("6"), module.GetExportAddress("FixtureSix"));
    EXPECT_NE(module.GetExportAddress("7"), 0u);
    EXPECT_EQ(module.GetExportAddress("9"), 0u);
    FreeLibrary(system);
}

struct Resolved {
    std::string library;
    std::string function;
    std::int32_t param;
};
std::vector<Resolved> resolved;

LPSTR WINAPI StandInUpper(LPSTR text) {
    text[0] = 'Z';
    return text;
}

int StandInSixteen() {
    return 99;
}

std::uint32_t Supply(const char* library, const char* function, std::int32_t param) {
    resolved.push_back({library, function, param});
    if (std::strcmp(function, "CharUpperA") == 0) {
        return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(&StandInUpper));
    }
    if (std::strcmp(function, "16") == 0) {
        return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(&StandInSixteen));
    }
    return 0;
}

std::uint32_t __stdcall StdcallResolver(const char* library, const char* function,
                                        std::int32_t param) {
    return Supply(library, function, param);
}

std::uint32_t __cdecl CdeclResolver(const char* library, const char* function, std::int32_t param) {
    return Supply(library, function, param);
}

TEST_F(FixtureLoadTest, ResolverIsAskedBeforeGetProcAddress) {
    const void* resolvers[] = {reinterpret_cast<const void*>(&StdcallResolver),
                               reinterpret_cast<const void*>(&CdeclResolver)};
    for (const void* resolver : resolvers) {
        resolved.clear();
        ASSERT_TRUE(module.LoadFromMemory(
            image, static_cast<ImportResolver>(reinterpret_cast<UINT_PTR>(resolver)), -55));
        EXPECT_EQ(Call(module, "FixtureUpper"), static_cast<std::uint32_t>('Z'));
        EXPECT_EQ(Call(module, "FixtureOrdinalSixteen"), 99u);
        EXPECT_EQ(TakeEntryLog(), "fixture:0,1,0;") << "kernel32 came from GetProcAddress";
        ASSERT_EQ(resolved.size(), 4u);
        const char* expected[4][2] = {{"KERNEL32.dll", "GetEnvironmentVariableA"},
                                      {"KERNEL32.dll", "SetEnvironmentVariableA"},
                                      {"USER32.dll", "CharUpperA"},
                                      {"memmodule_ordinals.dll", "16"}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(resolved[i].library, expected[i][0]);
            EXPECT_EQ(resolved[i].function, expected[i][1]);
            EXPECT_EQ(resolved[i].param, -55);
        }
        ASSERT_TRUE(module.Free());
        TakeEntryLog();
    }
}

// The bytes of an import address table entry for an ordinal.
std::string OrdinalEntry(std::uint16_t ordinal) {
    return std::string{static_cast<char>(ordinal & 0xFF), static_cast<char>(ordinal >> 8), '\0',
                       static_cast<char>(0x80)};
}

// Replaces every occurrence of some bytes of the file by others of the same length.
Bytes Patched(Bytes image, const std::string& fromText, const std::string& toText) {
    const Bytes from = BytesOf(fromText);
    const Bytes to = BytesOf(toText);
    std::size_t count = 0;
    for (auto at = image.begin();
         (at = std::search(at, image.end(), from.begin(), from.end())) != image.end();
         at += static_cast<std::ptrdiff_t>(from.size())) {
        std::copy(to.begin(), to.end(), at);
        ++count;
    }
    EXPECT_GT(count, 0u) << fromText;
    return image;
}

TEST_F(FixtureLoadTest, UnboundImportsFailTheLoadAndReleaseTheRegion) {
    struct Case {
        const char* what;
        std::string from, to;
    } cases[] = {
        {"function the library lacks", "CharUpperA", "CharUpperQ"},
        {"library that does not exist", "USER32.dll", "USER3Q.dll"},
        {"ordinal the helper lacks", OrdinalEntry(16), OrdinalEntry(17)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(module.LoadFromMemory(Patched(image, c.from, c.to)));
        EXPECT_EQ(module.GetHandle(), 0u);
        EXPECT_EQ(TakeEntryLog(), "") << "the entry point ran";
        EXPECT_TRUE(RangeIsFree(preferred)) << "the region was not released";
    }
}

TEST_F(FixtureLoadTest, RefusedAttachIsDetachedAndReleased) {
    const Bytes refusing = ReadFixture("memmodule_refusing.dll");
    const std::uint32_t base = PreferredBase(refusing);
    ASSERT_TRUE(RangeIsFree(base));
    EXPECT_FALSE(module.LoadFromMemory(refusing));
    EXPECT_EQ(module.GetHandle(), 0u);
    EXPECT_EQ(TakeEntryLog(), "refusing:0,1,0;refusing:0,0,0;");
    EXPECT_TRUE(RangeIsFree(base));
}

TEST_F(FixtureLoadTest, ExecutableImageLoadsWithoutItsEntryPoint) {
    ASSERT_TRUE(module.LoadFromMemory(ReadFixture("memmodule_program.exe")));
    EXPECT_NE(module.GetHandle(), 0x400000u) << "the test program itself sits there";
    EXPECT_EQ(Call(module, "ProgramExport"), 4242u);
    EXPECT_TRUE(module.Free());
    EXPECT_EQ(TakeEntryLog(), "");
}

TEST_F(FixtureLoadTest, LoadingAgainDetachesTheFirstImage) {
    ASSERT_TRUE(module.LoadFromMemory(image));
    ASSERT_TRUE(module.LoadFromMemory(ReadFixture("memmodule_program.exe")));
    EXPECT_EQ(TakeEntryLog(), "fixture:0,1,0;fixture:0,0,0;");
    EXPECT_TRUE(RangeIsFree(preferred));
    EXPECT_EQ(Call(module, "ProgramExport"), 4242u);
}

} // namespace

namespace {

TEST(LargeFixture, ThousandsOfRelocationsAcrossManyPages) {
    const Bytes image = ReadFixture("memmodule_large.dll");
    ASSERT_GT(image.size(), 80000u);
    const std::uint32_t preferred = PreferredBase(image);
    void* taken = VirtualAlloc(reinterpret_cast<void*>(std::uintptr_t{preferred}), 0x10000,
                               MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(taken, nullptr);
    MemoryModule module;
    ASSERT_TRUE(module.LoadFromMemory(image));
    EXPECT_NE(module.GetHandle(), preferred);
    const std::uint32_t lookup = module.GetExportAddress("LargeTableOffset");
    ASSERT_NE(lookup, 0u);
    std::size_t wrong = 0;
    for (std::uint32_t i = 0; i < 4096; ++i) {
        wrong += CallAddress(lookup, i) != 16 * i;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_TRUE(module.Free());
    VirtualFree(taken, 0, MEM_RELEASE);
}

} // namespace
