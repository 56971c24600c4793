// The loader's services on Windows: kernel32's virtual memory and module
// functions, and CallAddress for every call into code found at run time.
#include <cstdint>
#include <windows.h>

#include "memmodule/CallAddress.h"
#include "memmodule/MemoryModuleSystem.h"

namespace {

std::uint32_t AddressOf(const void* pointer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

void* PointerTo(std::uint32_t address) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

std::uint32_t AllocateRegion(std::uint32_t address, std::uint32_t size) {
    // The whole image stays writable and executable for its life: no section
    // gets protection of its own.
    return AddressOf(
        VirtualAlloc(PointerTo(address), size, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
}

bool ReleaseRegion(std::uint32_t base) {
    return VirtualFree(PointerTo(base), 0, MEM_RELEASE) != 0;
}

std::uint32_t RegionSize(std::uint32_t base) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(PointerTo(base), &info, sizeof info) == 0 || info.State != MEM_COMMIT ||
        info.AllocationBase != PointerTo(base)) {
        return 0;
    }
    return static_cast<std::uint32_t>(info.RegionSize);
}

std::uint32_t LoadNamedLibrary(const char* name) {
    return AddressOf(LoadLibraryA(name));
}

std::uint32_t FindProcedure(std::uint32_t module, const char* name, std::uint16_t ordinal) {
    HMODULE handle = static_cast<HMODULE>(PointerTo(module));
    FARPROC procedure =
        name ? GetProcAddress(handle, name) : GetProcAddress(handle, MAKEINTRESOURCEA(ordinal));
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(procedure));
}

std::uint32_t CallResolver(ImportResolver resolver, const char* library, const char* function,
                           std::int32_t param) {
    return CallAddress(resolver, AddressOf(library), AddressOf(function),
                       static_cast<std::uint32_t>(param));
}

std::uint32_t CallCode(std::uint32_t address, const std::uint32_t (&args)[10]) {
    return CallAddress(address, args[0], args[1], args[2], args[3], args[4], args[5], args[6],
                       args[7], args[8], args[9]);
}

const MemoryModuleSystem kWindows = {AllocateRegion, ReleaseRegion, RegionSize, LoadNamedLibrary,
                                     FindProcedure,  CallResolver,  CallCode};

} // namespace

const MemoryModuleSystem& PlatformMemoryModuleSystem() {
    return kWindows;
}
