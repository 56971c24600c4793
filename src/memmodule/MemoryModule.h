// A 32-bit DLL image loaded straight from a buffer, without the system's
// loader: the image is mapped into a region of its own, relocated, its imports
// bound and its entry point told about the attach. The object holds nothing but
// the region's base; every operation re-reads the image's headers there.
//
// Releasing the object (its destructor, or Destroy) leaves a loaded image
// mapped: the program keeps its one library until the process ends. Copies
// share the mapped image.
#pragma once

#include <cstdint>

#include "text/Text.h"

// Code address of a caller-supplied import lookup, 0 for none. It is called
// with three 32-bit arguments (library name, function name, the caller's
// parameter) and returns the function's address or 0; either argument
// clean-up convention works, as it is called through CallAddress. For an
// import by ordinal the function name is the ordinal in plain decimal digits.
using ImportResolver = std::uint32_t;

class MemoryModule {
public:
    MemoryModule() = default;

    // Releases the object only: a loaded image stays mapped and its entry
    // point is not called.
    void Destroy() {}

    // A second object for the same mapped image; nothing is duplicated.
    MemoryModule Copy() const;

    // Unloads a held image first, then maps, relocates and binds the image in
    // the buffer and runs its entry point if it is a DLL. True when loaded.
    bool LoadFromMemory(const Bytes& image, ImportResolver resolver = 0,
                        std::int32_t resolverParam = 0);

    // Tells a DLL it is detached and releases the region. True when the
    // object holds no image afterwards.
    bool Free();

    // Address of an export by name (exact bytes) or by ordinal text (plain
    // decimal, as "6"); 0 when there is none.
    std::uint32_t GetExportAddress(const Text& name) const;

    // Base + AddressOfEntryPoint, or 0 when empty.
    std::uint32_t GetEntryPoint() const;

    // Base of the mapped image, 0 when empty.
    std::uint32_t GetHandle() const { return handle; }

private:
    std::uint32_t handle = 0;
};
