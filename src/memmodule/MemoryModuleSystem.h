// The few system services the loader reaches: regions of memory, libraries,
// procedures and calls into code. In the Windows build they are kernel32's
// (VirtualAlloc, VirtualFree, VirtualQuery, LoadLibraryA, GetProcAddress) and
// CallAddress; in the native build regions are taken below 2 GB and the rest
// does nothing until a test or fuzzer puts its own functions in place.
//
// Addresses are 32-bit: every region lies below 4 GB in both builds, so the
// loader reaches a mapped image at its base address as a pointer.
#pragma once

#include <cstdint>

#include "memmodule/MemoryModule.h"

struct MemoryModuleSystem {
    // A zero-filled, readable, writable and executable region of size bytes
    // at address, or at a place of the system's choosing when address is 0;
    // its base, or 0 when it cannot be had there.
    std::uint32_t (*allocateRegion)(std::uint32_t address, std::uint32_t size);
    // Releases the whole region that starts at base; true on success.
    bool (*releaseRegion)(std::uint32_t base);
    // How many bytes from base onwards belong to the region allocated at base,
    // 0 when no region starts there.
    std::uint32_t (*regionSize)(std::uint32_t base);
    // Module handle of the named library, loading it if needed; 0 on failure.
    std::uint32_t (*loadLibrary)(const char* name);
    // Address of a procedure of a module by name, or by ordinal when name is
    // null; 0 when there is none.
    std::uint32_t (*findProcedure)(std::uint32_t module, const char* name, std::uint16_t ordinal);
    // Asks an import resolver for a function's address.
    std::uint32_t (*callResolver)(ImportResolver resolver, const char* library,
                                  const char* function, std::int32_t param);
    // Calls code at address with ten 32-bit arguments; its 32-bit result.
    std::uint32_t (*callCode)(std::uint32_t address, const std::uint32_t (&args)[10]);
};

// The platform's own services (see above).
const MemoryModuleSystem& PlatformMemoryModuleSystem();

// The services the loader uses now: the platform's, unless replaced.
const MemoryModuleSystem& MemoryModuleSystemInUse();

// Replaces the services for the loader (null puts the platform's back). The
// system must outlive its use.
void UseMemoryModuleSystem(const MemoryModuleSystem* system);
