// Feeds arbitrary bytes to LoadFromMemory as an image, then looks up exports
// and unloads. Regions are real memory followed by a guard page, and the
// buffer is checked by AddressSanitizer, so any read or write outside either
// is caught; a walk without end shows up as a timeout.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "memmodule/MemoryModule.h"
#include "memmodule/MemoryModuleSystem.h"

namespace {

// Regions are capped so that huge SizeOfImage values cost no time; a larger
// one is refused like an allocation the system cannot make.
constexpr std::uint32_t kLargestRegion = 1u << 20;

std::uint32_t Allocate(std::uint32_t address, std::uint32_t size) {
    return size > kLargestRegion ? 0 : PlatformMemoryModuleSystem().allocateRegion(address, size);
}

std::uint32_t Library(const char* name) {
    return name[0] == 0 ? 0 : 0x7000;
}

// Every function is found except those whose name starts with 'X', so that
// both the success and the failure of binding are reached.
std::uint32_t Procedure(std::uint32_t, const char* name, std::uint16_t ordinal) {
    if (name == nullptr) {
        return ordinal == 0 ? 0 : 0x5000 + ordinal;
    }
    return name[0] == 'X' ? 0 : 0x6000;
}

// The resolver supplies names of even length and leaves the rest to the
// system.
std::uint32_t Resolve(ImportResolver, const char*, const char* function, std::int32_t) {
    std::size_t length = 0;
    while (function[length] != 0) {
        ++length;
    }
    return length % 2 == 0 ? 0x8000 : 0;
}

// An entry point accepts the attach unless its address is odd.
std::uint32_t Call(std::uint32_t address, const std::uint32_t (&)[10]) {
    return address & 1 ? 0 : 1;
}

const MemoryModuleSystem kFuzzSystem = {Allocate,
                                        PlatformMemoryModuleSystem().releaseRegion,
                                        PlatformMemoryModuleSystem().regionSize,
                                        Library,
                                        Procedure,
                                        Resolve,
                                        Call};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    UseMemoryModuleSystem(&kFuzzSystem);
    const Bytes image(data, data + size);
    MemoryModule module;
    const bool withResolver = size > 0 && (data[size - 1] & 1) != 0;
    const bool loaded = module.LoadFromMemory(image, withResolver ? 0x1234 : 0, 7);
    if (loaded != (module.GetHandle() != 0)) {
        std::abort();
    }
    const char* names[] = {"FixtureSix", "SkinH_AttachRes", "6", "1", "0", "-1", "65535", ""};
    for (const char* name : names) {
        module.GetExportAddress(name);
    }
    module.GetEntryPoint();
    const std::uint32_t base = module.GetHandle();
    if (!module.Free()) {
        // A section or relocation may have overwritten the copied headers, so
        // that the image no longer unloads; let go of its region all the same.
        PlatformMemoryModuleSystem().releaseRegion(base);
    }
    UseMemoryModuleSystem(nullptr);
    return 0;
}
