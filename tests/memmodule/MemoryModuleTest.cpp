// The loader's logic on images made in memory, with recording services in
// place of libraries and calls: placement and relocation, import binding and
// its resolver, the entry point calls, export lookup, unloading, and every
// malformed image the loader must refuse without stepping outside the buffer
// or the region (natively each region is followed by a guard page, and the
// buffer is checked by AddressSanitizer).
#include <cstdint>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "FakeSystem.h"
#include "TestImage.h"
#include "memmodule/ImageLayout.h"
#include "memmodule/MemoryModule.h"
#include "memmodule/MemoryModuleSystem.h"

namespace {

constexpr std::uint32_t kBase = TestImage::kImageBase;
constexpr std::uint32_t kEntry = 0x1000;
constexpr std::uint32_t kRelocations = 0x1100;
constexpr std::uint32_t kImports = 0x1200;
constexpr std::uint32_t kFirstTable = 0x1400;
constexpr std::uint32_t kSecondTable = 0x1420;
constexpr std::uint32_t kExports = 0x1800;

std::uint32_t Read32(std::uint32_t address) {
    std::uint32_t value;
    std::memcpy(&value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)), 4);
    return value;
}

void Write32(std::uint32_t address, std::uint32_t value) {
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), &value, 4);
}

// A DLL of 16 KB with one relocation block, two import descriptors (one
// function by name and one by ordinal 16 from alpha.dll, one by name from
// beta.dll) and an export table with Base 1.
TestImage WellFormedDll() {
    TestImage image;
    image.EntryPoint(kEntry);

    // Relocations: HIGHLOW at 0x2010, padding, a 64-bit fix-up at 0x2020,
    // HIGHLOW at 0x2014; the zero bytes after the block end the table.
    image.U32(kRelocations, 0x2000);
    image.U32(kRelocations + 4, 16);
    image.U16(kRelocations + 8, 0x3010);
    image.U16(kRelocations + 10, 0x0000);
    image.U16(kRelocations + 12, 0xA020);
    image.U16(kRelocations + 14, 0x3014);
    image.Directory(5, kRelocations, 16);
    image.U32(0x2000, 0xAABBCCDD);
    image.U32(0x2010, kBase + 0x2000);
    image.U32(0x2014, kBase + 0x3000);
    image.U32(0x2020, 0x11111111);
    image.U32(0x2024, 0x22222222);

    image.U32(kImports + 12, 0x1300);
    image.U32(kImports + 16, kFirstTable);
    image.U32(kImports + 20 + 12, 0x1310);
    image.U32(kImports + 20 + 16, kSecondTable);
    image.Str(0x1300, "alpha.dll");
    image.Str(0x1310, "beta.dll");
    image.U32(kFirstTable, 0x1500);
    image.U32(kFirstTable + 4, 0x80000010);
    image.U32(kSecondTable, 0x1510);
    image.Str(0x1502, "FuncA");
    image.Str(0x1512, "FuncB");
    image.Directory(1, kImports, 60);

    // Exports: ordinals 1..7, ordinal 3 without code; names stored one after
    // another: Alpha, Dup (no code), Dup, Six (ordinal 6), 06, Big (an index
    // past the function array).
    image.U32(kExports + 16, 1);
    image.U32(kExports + 20, 7);
    image.U32(kExports + 24, 6);
    image.U32(kExports + 28, 0x1900);
    image.U32(kExports + 32, 0x1940);
    image.U32(kExports + 36, 0x1960);
    const std::uint32_t functions[7] = {0x1010, 0x1020, 0, 0x1040, 0x1050, 0x1060, 0x1070};
    for (std::uint32_t i = 0; i < 7; ++i) {
        image.U32(0x1900 + 4 * i, functions[i]);
    }
    const char* names[6] = {"Alpha", "Dup", "Dup", "Six", "06", "Big"};
    const std::uint16_t indexes[6] = {0, 2, 4, 5, 3, 9};
    std::uint32_t at = 0x1980;
    for (int i = 0; i < 6; ++i) {
        image.U32(0x1940 + 4 * i, at);
        image.U16(0x1960 + 2 * i, indexes[i]);
        image.Str(at, names[i]);
        at += static_cast<std::uint32_t>(std::strlen(names[i])) + 1;
    }
    image.Directory(0, kExports, 0x200);
    return image;
}

class LoaderTest : public testing::Test {
protected:
    LoaderTest() : scope(fake) {
        fake.procedures = {{"FuncA", 0x5000A}, {"#16", 0x50016}, {"FuncB", 0x5000B}};
    }
    ~LoaderTest() override {
        // Unmap what a test left loaded, so that every test starts with the
        // preferred range free.
        fake.refuseRelease = false;
        module.Free();
    }

    FakeSystem fake;
    FakeSystemScope scope;
    MemoryModule module;
};

TEST_F(LoaderTest, LoadsAtThePreferredBaseWithSitesUnchanged) {
    TestImage image = WellFormedDll();
    ASSERT_TRUE(module.LoadFromMemory(image.bytes));
    EXPECT_EQ(module.GetHandle(), kBase);
    EXPECT_EQ(Read32(kBase + 0x2010), kBase + 0x2000);
    EXPECT_EQ(Read32(kBase + 0x2014), kBase + 0x3000);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const void*>(std::uintptr_t{kBase}), image.bytes.data(),
                          0x1000),
              0);
    ASSERT_EQ(fake.codeCalls.size(), 1u);
    EXPECT_EQ(fake.codeCalls[0].address, kBase + kEntry);
    const std::uint32_t attach[10] = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(fake.codeCalls[0].args, attach, sizeof attach), 0);
}

TEST_F(LoaderTest, RelocatesOnlyHighLowSitesWhenThePreferredRangeIsTaken) {
    fake.preferredTaken = true;
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    const std::uint32_t base = module.GetHandle();
    ASSERT_NE(base, kBase);
    const std::uint32_t delta = base - kBase;
    EXPECT_EQ(Read32(base + 0x2010), kBase + 0x2000 + delta);
    EXPECT_EQ(Read32(base + 0x2014), kBase + 0x3000 + delta);
    EXPECT_EQ(Read32(base + 0x2000), 0xAABBCCDDu) << "padding entry changed its page's first word";
    EXPECT_EQ(Read32(base + 0x2020), 0x11111111u) << "64-bit fix-up applied";
    EXPECT_EQ(Read32(base + 0x2024), 0x22222222u);
    EXPECT_EQ(module.GetEntryPoint(), base + kEntry);
}

TEST_F(LoaderTest, SizesTheRegionFromRawDataAndLowVirtualSizeBits) {
    // The headers of the carried skin library: a region of 0x3E000 bytes
    // and 0xE0 + 248 + 3 * 40 = 592 header bytes copied.
    TestImage image(88576, 0xE0);
    image.Nt16(6, 3);
    image.Nt32(80, 0x3E000);
    image.EntryPoint(0x28000);
    image.Section(0, 0x27000, 0x1000, 0, 0);
    image.Section(1, 0x15000, 0x28000, 0x14C00, 0x400);
    image.Section(2, 0x1000, 0x3D000, 0xA00, 0x15000);
    for (std::uint32_t i = 592; i < 0x400; ++i) {
        image.U8(i, 0xEE);
    }
    image.U8(0x400, 0x5A);
    image.U8(0x15000 + 0x9FF, 0xA5);
    ASSERT_TRUE(module.LoadFromMemory(image.bytes));
    const std::uint32_t base = module.GetHandle();
    EXPECT_EQ(MemoryModuleSystemInUse().regionSize(base), 0x3E000u);
    const unsigned char* region = reinterpret_cast<const unsigned char*>(std::uintptr_t{base});
    EXPECT_EQ(std::memcmp(region, image.bytes.data(), 592), 0);
    EXPECT_EQ(region[592], 0) << "bytes past the section table were copied";
    EXPECT_EQ(region[0x3FF], 0);
    EXPECT_EQ(region[0x28000], 0x5A);
    EXPECT_EQ(region[0x3D000 + 0x9FF], 0xA5);
    bool uninitialisedIsZero = true;
    for (std::uint32_t i = 0x1000; i < 0x28000; ++i) {
        uninitialisedIsZero = uninitialisedIsZero && region[i] == 0;
    }
    EXPECT_TRUE(uninitialisedIsZero);
}

TEST_F(LoaderTest, RegionGrowsPastAnUnderstatedSizeOfImage) {
    TestImage image = WellFormedDll();
    image.Nt32(80, 0x2000);
    ASSERT_TRUE(module.LoadFromMemory(image.bytes));
    EXPECT_EQ(MemoryModuleSystemInUse().regionSize(module.GetHandle()), 0x4000u);
}

TEST(AlignUp, RoundsUpInThirtyTwoBits) {
    struct Case {
        std::uint32_t value, alignment, expected;
    } cases[] = {
        {0, 0x1000, 0},          {1, 0x1000, 0x1000},        {0x1000, 0x1000, 0x1000},
        {0x1001, 0x200, 0x1200}, {0x3CC00, 0x1000, 0x3D000}, {7, 3, 9},
        {0xFFFFF001, 0x1000, 0}, // the sum wraps, as every address of the image does
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AlignUp(c.value, c.alignment), c.expected) << c.value << " " << c.alignment;
    }
}

// Each case spoils a well-formed DLL in one way that must fail the load. The
// load must then leave no region behind; `mapped` says whether it got far
// enough to allocate one (and so had to release it).
struct Rejection {
    const char* what;
    bool mapped;
    std::function<void(TestImage&, FakeSystem&)> spoil;
};

void FillToEnd(TestImage& image, std::uint32_t from, char byte) {
    for (std::uint32_t i = from; i < image.bytes.size(); ++i) {
        image.U8(i, static_cast<std::uint8_t>(byte));
    }
}

const Rejection kRejections[] = {
    {"empty buffer", false, [](TestImage& i, FakeSystem&) { i.bytes.clear(); }},
    {"63 bytes", false, [](TestImage& i, FakeSystem&) { i.bytes.resize(63); }},
    {"no MZ", false, [](TestImage& i, FakeSystem&) { i.U16(0, 0x5A4E); }},
    {"shorter than the NT headers", false,
     [](TestImage& i, FakeSystem&) { i.bytes.resize(0x80 + 247); }},
    {"e_lfanew that wraps when added", false,
     [](TestImage& i, FakeSystem&) { i.U32(60, 0xFFFFFF80); }},
    {"no PE signature", false, [](TestImage& i, FakeSystem&) { i.Nt32(0, 0x4551); }},
    {"not an executable image", false,
     [](TestImage& i, FakeSystem&) { i.Characteristics(0x2000); }},
    {"ends inside the section table", false,
     [](TestImage& i, FakeSystem&) { i.bytes.resize(0x80 + 248 + 39); }},
    {"negative section count", false, [](TestImage& i, FakeSystem&) { i.Nt16(6, 0x8000); }},
    {"SectionAlignment 0", false, [](TestImage& i, FakeSystem&) { i.Nt32(56, 0); }},
    {"raw data past the buffer", false,
     [](TestImage& i, FakeSystem&) { i.Section(0, 0x3000, 0x1000, 0x3001, 0x1000); }},
    {"raw data pointer that wraps", false,
     [](TestImage& i, FakeSystem&) { i.Section(0, 0x3000, 0x1000, 0x2000, 0xFFFFF000); }},
    {"section past the region through a wrapping end", false,
     [](TestImage& i, FakeSystem&) { i.Section(0, 0x1000, 0xFFFFF000, 0x2000, 0x1000); }},
    {"region of 0 bytes", false,
     [](TestImage& i, FakeSystem&) {
         i.Nt16(6, 0);
         i.Nt32(80, 0);
     }},
    {"headers larger than the region", false,
     [](TestImage& i, FakeSystem&) {
         i.Nt16(6, 0);
         i.Nt32(80, 0x100);
     }},
    {"no region to be had", false, [](TestImage&, FakeSystem& f) { f.refuseAllocation = true; }},
    {"relocation block shorter than its header", true,
     [](TestImage& i, FakeSystem&) { i.U32(kRelocations + 4, 4); }},
    {"relocation block of size 0", true,
     [](TestImage& i, FakeSystem&) { i.U32(kRelocations + 4, 0); }},
    {"relocation block past the region", true,
     [](TestImage& i, FakeSystem&) { i.U32(kRelocations + 4, 0x4000); }},
    {"relocation table without an ending header", true,
     [](TestImage& i, FakeSystem&) {
         i.U32(0x3FF8, 0x2000);
         i.U32(0x3FFC, 8);
         i.Directory(5, 0x3FF8, 8);
     }},
    {"relocation table outside the region", true,
     [](TestImage& i, FakeSystem&) { i.Directory(5, 0x5000, 8); }},
    {"relocation site past the region", true,
     [](TestImage& i, FakeSystem&) {
         i.U32(kRelocations, 0x3000);
         i.U16(kRelocations + 8, 0x3FFE);
     }},
    {"relocation site that wraps", true,
     [](TestImage& i, FakeSystem&) {
         i.U32(kRelocations, 0xFFFFF000);
         i.U16(kRelocations + 8, 0x3FFF);
     }},
    {"import descriptors without an ending one", true,
     [](TestImage& i, FakeSystem&) {
         i.U32(0x3FEC + 12, 0x1310);
         i.U32(0x3FEC + 16, kSecondTable);
         i.Directory(1, 0x3FEC, 20);
     }},
    {"import descriptors outside the region", true,
     [](TestImage& i, FakeSystem&) { i.Directory(1, 0x7FFF0000, 20); }},
    {"library name without NUL in the region", true,
     [](TestImage& i, FakeSystem&) {
         i.U32(kImports + 12, 0x3FF0);
         FillToEnd(i, 0x3FF0, 'A');
     }},
    {"library name outside the region", true,
     [](TestImage& i, FakeSystem&) { i.U32(kImports + 12, 0x80000000); }},
    {"address table without an ending entry", true,
     [](TestImage& i, FakeSystem&) {
         i.U32(kImports + 16, 0x3FF8);
         i.U32(0x3FF8, 0x1500);
         i.U32(0x3FFC, 0x1500);
     }},
    {"hint/name record outside the region", true,
     [](TestImage& i, FakeSystem&) { i.U32(kFirstTable, 0x7FFFFFF0); }},
    {"function name without NUL in the region", true,
     [](TestImage& i, FakeSystem&) {
         i.U32(kFirstTable, 0x3FEE);
         FillToEnd(i, 0x3FF0, 'B');
     }},
    {"function nobody supplies", true,
     [](TestImage&, FakeSystem& f) { f.procedures.erase("FuncB"); }},
    {"ordinal nobody supplies", true, [](TestImage&, FakeSystem& f) { f.procedures.erase("#16"); }},
    {"entry point outside the region", true,
     [](TestImage& i, FakeSystem&) { i.EntryPoint(0x4000); }},
    {"entry point refusing the attach", true, [](TestImage&, FakeSystem& f) { f.entryResult = 0; }},
};

TEST_F(LoaderTest, RefusesMalformedImagesAndReleasesTheirRegion) {
    for (const Rejection& rejection : kRejections) {
        SCOPED_TRACE(rejection.what);
        fake = FakeSystem();
        fake.procedures = {{"FuncA", 0x5000A}, {"#16", 0x50016}, {"FuncB", 0x5000B}};
        TestImage image = WellFormedDll();
        rejection.spoil(image, fake);
        EXPECT_FALSE(module.LoadFromMemory(image.bytes));
        EXPECT_EQ(module.GetHandle(), 0u);
        EXPECT_EQ(fake.allocated.size(), rejection.mapped ? 1u : 0u);
        EXPECT_EQ(fake.Outstanding(), 0u);
    }
}

TEST_F(LoaderTest, RefusedAttachIsFollowedByDetach) {
    fake.entryResult = 0;
    EXPECT_FALSE(module.LoadFromMemory(WellFormedDll().bytes));
    ASSERT_EQ(fake.codeCalls.size(), 2u);
    EXPECT_EQ(fake.codeCalls[1].address, fake.codeCalls[0].address);
    const std::uint32_t detach[10] = {};
    EXPECT_EQ(std::memcmp(fake.codeCalls[1].args, detach, sizeof detach), 0);
    EXPECT_EQ(fake.events.back(), "release");
}

TEST_F(LoaderTest, EntryPointCalls) {
    struct Case {
        const char* what;
        std::uint16_t characteristics;
        std::uint32_t entry;
        std::uint32_t entryResult;
        bool loads;
        std::size_t calls;
    } cases[] = {
        {"any non-zero answer accepts", 0x2002, kEntry, 0xFFFFFFFF, true, 1},
        {"an executable is never entered", 0x0002, kEntry, 0, true, 0},
        {"a DLL without an entry point is not entered", 0x2002, 0, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.codeCalls.clear();
        fake.entryResult = c.entryResult;
        TestImage image = WellFormedDll();
        image.Characteristics(c.characteristics);
        image.EntryPoint(c.entry);
        EXPECT_EQ(module.LoadFromMemory(image.bytes), c.loads);
        EXPECT_TRUE(module.Free());
        EXPECT_EQ(fake.codeCalls.size(), c.calls * 2) << "attach and detach";
    }
}

TEST_F(LoaderTest, BindsImportsByNameAndOrdinal) {
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    const std::uint32_t base = module.GetHandle();
    EXPECT_EQ(fake.libraries, (std::vector<std::string>{"alpha.dll", "beta.dll"}));
    ASSERT_EQ(fake.lookups.size(), 3u);
    EXPECT_EQ(fake.lookups[0].name, "FuncA");
    EXPECT_EQ(fake.lookups[1].name, "#16");
    EXPECT_EQ(fake.lookups[1].module, fake.lookups[0].module);
    EXPECT_EQ(fake.lookups[2].name, "FuncB");
    EXPECT_NE(fake.lookups[2].module, fake.lookups[0].module);
    EXPECT_EQ(Read32(base + kFirstTable), 0x5000Au);
    EXPECT_EQ(Read32(base + kFirstTable + 4), 0x50016u);
    EXPECT_EQ(Read32(base + kSecondTable), 0x5000Bu);
    EXPECT_TRUE(fake.resolverCalls.empty());
}

TEST_F(LoaderTest, ResolverIsAskedFirst) {
    struct Case {
        const char* what;
        std::vector<std::string> supplied; // by the resolver
        std::vector<std::string> lookedUp; // by the system afterwards
    } cases[] = {
        {"supplies everything", {"FuncA", "16", "FuncB"}, {}},
        {"supplies one", {"FuncB"}, {"FuncA", "#16"}},
        {"supplies nothing", {}, {"FuncA", "#16", "FuncB"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.libraries.clear();
        fake.lookups.clear();
        fake.resolverCalls.clear();
        fake.resolver = [&c](const std::string& function) -> std::uint32_t {
            for (const std::string& s : c.supplied) {
                if (s == function) {
                    return 0x60000 + static_cast<std::uint32_t>(function.size());
                }
            }
            return 0;
        };
        ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes, 0x4321, -7));
        EXPECT_EQ(fake.libraries.size(), 2u) << "every library is loaded anyway";
        ASSERT_EQ(fake.resolverCalls.size(), 3u);
        const char* expected[3][2] = {
            {"alpha.dll", "FuncA"}, {"alpha.dll", "16"}, {"beta.dll", "FuncB"}};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(fake.resolverCalls[i].resolver, 0x4321u);
            EXPECT_EQ(fake.resolverCalls[i].library, expected[i][0]);
            EXPECT_EQ(fake.resolverCalls[i].function, expected[i][1]);
            EXPECT_EQ(fake.resolverCalls[i].param, -7);
        }
        std::vector<std::string> lookedUp;
        for (const FakeSystem::Lookup& lookup : fake.lookups) {
            lookedUp.push_back(lookup.name);
        }
        EXPECT_EQ(lookedUp, c.lookedUp);
        if (!c.supplied.empty()) {
            EXPECT_EQ(Read32(module.GetHandle() + kSecondTable), 0x60005u);
        }
        ASSERT_TRUE(module.Free());
    }
}

TEST_F(LoaderTest, ImportsAreLeftAloneWithoutAnImportDirectory) {
    TestImage image = WellFormedDll();
    image.Directory(1, 0, 60);
    image.U32(kImports + 12, 0x7FFFFFFF); // would be refused if it were read
    ASSERT_TRUE(module.LoadFromMemory(image.bytes));
    EXPECT_TRUE(fake.libraries.empty());
    EXPECT_EQ(Read32(module.GetHandle() + kFirstTable), 0x1500u);
}

TEST_F(LoaderTest, LoadingAgainUnloadsTheFirstImageBeforeMappingTheSecond) {
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    const std::uint32_t first = module.GetHandle();
    fake.events.clear();
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    EXPECT_EQ(module.GetHandle(), first) << "the first image's range was not released";
    ASSERT_GE(fake.events.size(), 4u);
    EXPECT_EQ(fake.events[0], "call 0");
    EXPECT_EQ(fake.events[1], "release");
    EXPECT_EQ(fake.events[2], "allocate");
    EXPECT_EQ(fake.events.back(), "call 1");
}

TEST_F(LoaderTest, FreeDetachesOnceAndEmptiesTheObject) {
    EXPECT_TRUE(module.Free()) << "an empty object";
    EXPECT_TRUE(fake.events.empty());
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    const std::uint32_t base = module.GetHandle();
    fake.codeCalls.clear();
    EXPECT_TRUE(module.Free());
    EXPECT_EQ(module.GetHandle(), 0u);
    ASSERT_EQ(fake.codeCalls.size(), 1u);
    EXPECT_EQ(fake.codeCalls[0].address, base + kEntry);
    const std::uint32_t detach[10] = {};
    EXPECT_EQ(std::memcmp(fake.codeCalls[0].args, detach, sizeof detach), 0);
    EXPECT_EQ(MemoryModuleSystemInUse().regionSize(base), 0u);
    EXPECT_TRUE(module.Free());
    EXPECT_EQ(fake.codeCalls.size(), 1u);
    EXPECT_EQ(module.GetEntryPoint(), 0u);
    EXPECT_EQ(module.GetExportAddress("Alpha"), 0u);
}

TEST_F(LoaderTest, FailedUnmappingKeepsTheHandle) {
    struct Case {
        const char* what;
        std::function<void(std::uint32_t base, FakeSystem&)> spoil;
        std::size_t detachCalls;
    } cases[] = {
        {"MZ overwritten", [](std::uint32_t b, FakeSystem&) { Write32(b, 0); }, 0},
        {"PE signature overwritten",
         [](std::uint32_t b, FakeSystem&) { Write32(b + Read32(b + 60), 0); }, 0},
        {"e_lfanew past the region",
         [](std::uint32_t b, FakeSystem&) { Write32(b + 60, 0x7FFFFFF0); }, 0},
        {"release refused", [](std::uint32_t, FakeSystem& f) { f.refuseRelease = true; }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
        const std::uint32_t base = module.GetHandle();
        const std::vector<std::uint8_t> headers(
            reinterpret_cast<const std::uint8_t*>(std::uintptr_t{base}),
            reinterpret_cast<const std::uint8_t*>(std::uintptr_t{base}) + 0x200);
        fake.codeCalls.clear();
        c.spoil(base, fake);
        EXPECT_FALSE(module.Free());
        EXPECT_EQ(module.GetHandle(), base);
        EXPECT_EQ(fake.codeCalls.size(), c.detachCalls);
        // Put things right so the object can be emptied for the next case.
        fake.refuseRelease = false;
        std::memcpy(reinterpret_cast<void*>(std::uintptr_t{base}), headers.data(), headers.size());
        ASSERT_TRUE(module.Free());
    }
}

TEST_F(LoaderTest, CopiesShareAndDestroyLeavesTheImageMapped) {
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    fake.codeCalls.clear();
    {
        MemoryModule copy = module.Copy();
        EXPECT_EQ(copy.GetHandle(), module.GetHandle());
        EXPECT_EQ(copy.GetExportAddress("Six"), module.GetHandle() + 0x1060);
        copy.Destroy();
    }
    EXPECT_TRUE(fake.codeCalls.empty()) << "releasing an object must not detach its image";
    EXPECT_NE(MemoryModuleSystemInUse().regionSize(module.GetHandle()), 0u);
    EXPECT_EQ(module.GetExportAddress("Alpha"), module.GetHandle() + 0x1010);
}

TEST_F(LoaderTest, CopyLeftBehindByFreeTouchesNothing) {
    // Once one object has unloaded the shared image, the region is gone; the
    // other object's lookups must not read where it was.
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    MemoryModule copy = module.Copy();
    ASSERT_TRUE(module.Free());
    fake.codeCalls.clear();
    EXPECT_EQ(copy.GetExportAddress("Alpha"), 0u);
    EXPECT_EQ(copy.GetEntryPoint(), 0u);
    EXPECT_FALSE(copy.Free());
    EXPECT_TRUE(fake.codeCalls.empty());
}

TEST_F(LoaderTest, EmptyObjectAnswersZero) {
    EXPECT_EQ(module.GetHandle(), 0u);
    EXPECT_EQ(module.GetEntryPoint(), 0u);
    EXPECT_EQ(module.GetExportAddress("Alpha"), 0u);
    EXPECT_EQ(module.GetExportAddress("1"), 0u);
}

TEST_F(LoaderTest, FindsExportsByNameOrOrdinalText) {
    fake.preferredTaken = true; // addresses must follow the base, not ImageBase
    ASSERT_TRUE(module.LoadFromMemory(WellFormedDll().bytes));
    const std::uint32_t base = module.GetHandle();
    struct Case {
        const char* name;
        std::uint32_t rva; // 0: nothing found
    } cases[] = {
        {"Alpha", 0x1010},
        {"1", 0x1010}, // the first ordinal is Base
        {"Six", 0x1060},
        {"6", 0x1060},
        {"7", 0x1070},
        {"Dup", 0x1050}, // the first match has no
                         // code, the second wins
        {"3", 0},        // an ordinal without code
        {"06", 0x1040},  // not an ordinal: leading zero, so a name
        {"0", 0},        // index -1
        {"8", 0},        // Base + NumberOfFunctions
        {"-3", 0},
        {"+6", 0},
        {" 6", 0},
        {"6a", 0},
        {"", 0},
        {"4294967302", 0}, // 6 plus 2^32 is a name, not ordinal 6
        {"alpha", 0},      // names are compared exactly
        {"Big", 0},        // its index lies past the function array
        {"Missing", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(module.GetExportAddress(c.name), c.rva ? base + c.rva : 0)
            << '"' << c.name << '"';
    }
    EXPECT_EQ(module.GetExportAddress(std::string("Six\0", 4)), 0u);
}

TEST_F(LoaderTest, ExportLookupStaysInsideTheRegion) {
    struct Case {
        const char* what;
        std::function<void(TestImage&)> spoil;
    } cases[] = {
        {"export directory without size", [](TestImage& i) { i.Directory(0, kExports, 0); }},
        {"export directory past the region", [](TestImage& i) { i.Directory(0, 0x3FF0, 0x40); }},
        {"function array outside the region",
         [](TestImage& i) { i.U32(kExports + 28, 0x7FFFFF00); }},
        {"name array outside the region", [](TestImage& i) { i.U32(kExports + 32, 0x7FFFFF00); }},
        {"ordinal array outside the region",
         [](TestImage& i) { i.U32(kExports + 36, 0x7FFFFF00); }},
        {"names running off the region's end",
         [](TestImage& i) {
             i.U32(0x1940, 0x3FF8);
             FillToEnd(i, 0x3FF8, 'N');
         }},
        {"more names than the region holds",
         [](TestImage& i) {
             i.U32(kExports + 24, 0xFFFFFFFF);
             i.U32(0x1940, 0x3000);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestImage image = WellFormedDll();
        c.spoil(image);
        ASSERT_TRUE(module.LoadFromMemory(image.bytes));
        EXPECT_EQ(module.GetExportAddress("Missing"), 0u);
        EXPECT_EQ(module.GetExportAddress("Six"), 0u);
        ASSERT_TRUE(module.Free());
    }
}

} // namespace
