// The loader's services in the native build, where no 32-bit image code can
// run. Regions are real memory below 2 GB (so that their 32-bit addresses are
// pointers), each followed by an inaccessible guard page so that a step past
// a region's end faults at once. Libraries, procedures and calls do nothing
// until a test or fuzzer puts its own services in place; CallAddress goes to
// whatever callCode is in use.
#include <cstdint>
#include <map>
#include <sys/mman.h>
#include <unistd.h>

#include "memmodule/CallAddress.h"
#include "memmodule/MemoryModuleSystem.h"

namespace {

// Below the sanitizers' shadow memory, which starts just under 2 GB.
constexpr std::uint64_t kRegionLimit = 0x7FFF0000;

std::map<std::uint32_t, std::uint64_t>& Regions() {
    static std::map<std::uint32_t, std::uint64_t> regions; // base -> mapped bytes with guard
    return regions;
}

std::uint64_t PageSize() {
    return static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

std::uint32_t AllocateRegion(std::uint32_t address, std::uint32_t size) {
    const std::uint64_t page = PageSize();
    const std::uint64_t rounded = (std::uint64_t{size} + page - 1) / page * page;
    const std::uint64_t mapped = rounded + page;
    if (size == 0 || address % page != 0 || address + mapped > kRegionLimit) {
        return 0;
    }
    int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;
    flags |= address != 0 ? MAP_FIXED_NOREPLACE : MAP_32BIT;
    void* hint = reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
    void* start = mmap(hint, mapped, PROT_READ | PROT_WRITE | PROT_EXEC, flags, -1, 0);
    if (start == MAP_FAILED) {
        return 0;
    }
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(start);
    if ((address != 0 && at != address) || at + mapped > kRegionLimit) {
        munmap(start, mapped);
        return 0;
    }
    mprotect(static_cast<unsigned char*>(start) + rounded, page, PROT_NONE);
    Regions()[static_cast<std::uint32_t>(at)] = mapped;
    return static_cast<std::uint32_t>(at);
}

bool ReleaseRegion(std::uint32_t base) {
    auto found = Regions().find(base);
    if (found == Regions().end()) {
        return false;
    }
    munmap(reinterpret_cast<void*>(static_cast<std::uintptr_t>(base)), found->second);
    Regions().erase(found);
    return true;
}

std::uint32_t RegionSize(std::uint32_t base) {
    auto found = Regions().find(base);
    return found == Regions().end() ? 0 : static_cast<std::uint32_t>(found->second - PageSize());
}

std::uint32_t NoLibrary(const char*) {
    return 0;
}

std::uint32_t NoProcedure(std::uint32_t, const char*, std::uint16_t) {
    return 0;
}

std::uint32_t NoResolver(ImportResolver, const char*, const char*, std::int32_t) {
    return 0;
}

std::uint32_t NoCall(std::uint32_t, const std::uint32_t (&)[10]) {
    return 0;
}

const MemoryModuleSystem kNative = {AllocateRegion, ReleaseRegion, RegionSize, NoLibrary,
                                    NoProcedure,    NoResolver,    NoCall};

} // namespace

const MemoryModuleSystem& PlatformMemoryModuleSystem() {
    return kNative;
}

std::uint32_t CallAddress(std::uint32_t address, std::uint32_t a1, std::uint32_t a2,
                          std::uint32_t a3, std::uint32_t a4, std::uint32_t a5, std::uint32_t a6,
                          std::uint32_t a7, std::uint32_t a8, std::uint32_t a9, std::uint32_t a10) {
    const std::uint32_t args[10] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10};
    return MemoryModuleSystemInUse().callCode(address, args);
}
