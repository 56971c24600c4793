// The load sequence, export lookup and unload of MemoryModule. Everything the
// image says is checked against the buffer or the region before it is used:
// an image that would make the loader step outside either is refused, and
// whatever was allocated for it is released again.
#include "memmodule/MemoryModule.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "memmodule/ImageLayout.h"
#include "memmodule/MemoryModuleSystem.h"

namespace {

std::uint32_t CallEntry(std::uint32_t entry, std::uint32_t reason) {
    // A DLL entry point's arguments: module handle 0 (not the base), the
    // reason, and a null reserved pointer.
    const std::uint32_t args[10] = {0, reason, 0, 0, 0, 0, 0, 0, 0, 0};
    return MemoryModuleSystemInUse().callCode(entry, args);
}

// Whether a DLL's entry point is called at all: an image without one (entry
// RVA 0) would otherwise be entered at its first header byte.
bool HasEntryPoint(const NtHeaders& headers) {
    return (headers.characteristics & image::kDll) != 0 && headers.addressOfEntryPoint != 0;
}

std::uint32_t ReleaseAndFail(std::uint32_t base) {
    MemoryModuleSystemInUse().releaseRegion(base);
    return 0;
}

// The load sequence; the base of the loaded image, or 0.
std::uint32_t LoadImage(const Bytes& image, ImportResolver resolver, std::int32_t resolverParam) {
    const BoundedBytes buffer(const_cast<unsigned char*>(image.data()), image.size());
    std::uint32_t lfanew = 0;
    NtHeaders headers;
    if (!ReadImageHeaders(buffer, lfanew, headers) ||
        (headers.characteristics & image::kExecutableImage) == 0 || headers.numberOfSections < 0 ||
        headers.sectionAlignment == 0) {
        return 0;
    }
    const std::uint64_t sectionTable = std::uint64_t{lfanew} + image::kNtHeadersSize;
    const std::uint64_t headerBytes =
        sectionTable + std::uint64_t{image::kSectionHeaderSize} *
                           static_cast<std::uint64_t>(headers.numberOfSections);
    if (!buffer.Has(0, headerBytes)) {
        return 0;
    }
    std::vector<SectionHeader> sections(static_cast<std::size_t>(headers.numberOfSections));
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const std::uint64_t at = sectionTable + image::kSectionHeaderSize * i;
        buffer.ReadU32(at + 8, sections[i].virtualSize);
        buffer.ReadU32(at + 12, sections[i].virtualAddress);
        buffer.ReadU32(at + 16, sections[i].sizeOfRawData);
        buffer.ReadU32(at + 20, sections[i].pointerToRawData);
    }

    // The region covers SizeOfImage and every section's raw data, even where
    // SizeOfImage understates it. Only the low 16 bits of VirtualSize count.
    std::uint32_t regionSize = headers.sizeOfImage;
    for (const SectionHeader& section : sections) {
        const std::uint32_t virtualSize = section.virtualSize & 0xFFFF;
        const std::uint32_t extent =
            section.sizeOfRawData > virtualSize ? section.sizeOfRawData : virtualSize;
        const std::uint32_t end =
            AlignUp(section.virtualAddress + extent, headers.sectionAlignment);
        if (end > regionSize) {
            regionSize = end;
        }
    }
    if (regionSize == 0) {
        return 0;
    }
    // The sums above wrap at 32 bits like every address of the image, so
    // the copies are checked against the region as it will really be.
    const BoundedBytes regionBounds(nullptr, regionSize);
    if (!regionBounds.Has(0, headerBytes)) {
        return 0;
    }
    for (const SectionHeader& section : sections) {
        if (section.sizeOfRawData == 0 || section.virtualAddress == 0) {
            continue;
        }
        if (!buffer.Has(section.pointerToRawData, section.sizeOfRawData) ||
            !regionBounds.Has(section.virtualAddress, section.sizeOfRawData)) {
            return 0;
        }
    }

    const MemoryModuleSystem& system = MemoryModuleSystemInUse();
    std::uint32_t base = system.allocateRegion(headers.imageBase, regionSize);
    if (base == 0) {
        base = system.allocateRegion(0, regionSize); // the preferred range is taken
    }
    if (base == 0) {
        return 0;
    }
    BoundedBytes region = RegionBytes(base, regionSize);
    std::memcpy(region.At(0), image.data(), static_cast<std::size_t>(headerBytes));
    for (const SectionHeader& section : sections) {
        if (section.sizeOfRawData > 0 && section.virtualAddress != 0) {
            std::memcpy(region.At(section.virtualAddress), image.data() + section.pointerToRawData,
                        section.sizeOfRawData);
        }
    }

    if (headers.dataDirectory[image::kRelocationDirectory].size > 0 &&
        !ApplyRelocations(base, regionSize, headers)) {
        return ReleaseAndFail(base);
    }
    if (headers.dataDirectory[image::kImportDirectory].virtualAddress > 0 &&
        !BindImports(base, regionSize, headers, resolver, resolverParam)) {
        return ReleaseAndFail(base);
    }
    if (HasEntryPoint(headers)) {
        if (!regionBounds.Has(headers.addressOfEntryPoint, 1)) {
            return ReleaseAndFail(base); // it would jump outside the image
        }
        const std::uint32_t entry = base + headers.addressOfEntryPoint;
        if (CallEntry(entry, image::kProcessAttach) == 0) {
            CallEntry(entry, image::kProcessDetach);
            return ReleaseAndFail(base);
        }
    }
    return base;
}

// The mapped region of a loaded image, as large as the system says it is.
BoundedBytes MappedRegion(std::uint32_t handle) {
    return RegionBytes(handle, MemoryModuleSystemInUse().regionSize(handle));
}

// Whether a name is an ordinal: the text is exactly what atoi's number
// writes back as decimal ("6", "-3"; not "06", "+6", " 6", "6a" or "").
bool IsOrdinalText(const Text& name, std::int32_t& numberOut) {
    std::size_t at = 0;
    while (at < name.size() && (name[at] == ' ' || (name[at] >= '\t' && name[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < name.size() && (name[at] == '-' || name[at] == '+')) {
        negative = name[at] == '-';
        ++at;
    }
    // Only a number in the 32-bit range can read back as its own text, so
    // the magnitude is capped rather than left to overflow.
    std::int64_t magnitude = 0;
    for (; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (name[at] - '0');
        if (magnitude > std::int64_t{1} << 32) {
            magnitude = std::int64_t{1} << 32;
        }
    }
    const std::int64_t number = negative ? -magnitude : magnitude;
    if (number < INT32_MIN || number > INT32_MAX) {
        return false;
    }
    if (std::to_string(number) != name) {
        return false;
    }
    numberOut = static_cast<std::int32_t>(number);
    return true;
}

} // namespace

MemoryModule MemoryModule::Copy() const {
    MemoryModule copy;
    copy.handle = handle;
    return copy;
}

bool MemoryModule::LoadFromMemory(const Bytes& image, ImportResolver resolver,
                                  std::int32_t resolverParam) {
    if (handle != 0) {
        Free(); // an image that will not unload is simply let go
    }
    handle = LoadImage(image, resolver, resolverParam);
    return handle != 0;
}

bool MemoryModule::Free() {
    if (handle == 0) {
        return true;
    }
    const BoundedBytes region = MappedRegion(handle);
    std::uint32_t lfanew = 0;
    NtHeaders headers;
    if (!ReadImageHeaders(region, lfanew, headers)) {
        return false;
    }
    if (HasEntryPoint(headers) && region.Has(headers.addressOfEntryPoint, 1)) {
        CallEntry(handle + headers.addressOfEntryPoint, image::kProcessDetach);
    }
    if (MemoryModuleSystemInUse().releaseRegion(handle)) {
        handle = 0;
    }
    return handle == 0;
}

std::uint32_t MemoryModule::GetExportAddress(const Text& name) const {
    if (handle == 0) {
        return 0;
    }
    const BoundedBytes region = MappedRegion(handle);
    std::uint32_t lfanew = 0;
    NtHeaders headers;
    if (!ReadImageHeaders(region, lfanew, headers)) {
        return 0;
    }
    const DataDirectory& exports = headers.dataDirectory[image::kExportDirectory];
    if (exports.size == 0 || !region.Has(exports.virtualAddress, 40)) {
        return 0;
    }
    std::uint32_t base = 0;
    std::uint32_t numberOfFunctions = 0;
    std::uint32_t numberOfNames = 0;
    std::uint32_t addressOfFunctions = 0;
    std::uint32_t addressOfNames = 0;
    std::uint32_t addressOfNameOrdinals = 0;
    region.ReadU32(exports.virtualAddress + std::uint64_t{16}, base);
    region.ReadU32(exports.virtualAddress + std::uint64_t{20}, numberOfFunctions);
    region.ReadU32(exports.virtualAddress + std::uint64_t{24}, numberOfNames);
    region.ReadU32(exports.virtualAddress + std::uint64_t{28}, addressOfFunctions);
    region.ReadU32(exports.virtualAddress + std::uint64_t{32}, addressOfNames);
    region.ReadU32(exports.virtualAddress + std::uint64_t{36}, addressOfNameOrdinals);

    // The function RVA at an index of the function array; 0 outside it.
    auto functionAt = [&](std::uint32_t index) -> std::uint32_t {
        std::uint32_t rva = 0;
        if (!region.ReadU32(static_cast<std::uint32_t>(addressOfFunctions + 4 * index), rva) ||
            rva == 0) {
            return 0;
        }
        return handle + rva;
    };

    std::int32_t number = 0;
    if (IsOrdinalText(name, number)) {
        const std::int32_t index =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(number) - base);
        if (index < 0 || static_cast<std::uint32_t>(index) >= numberOfFunctions) {
            return 0;
        }
        return functionAt(static_cast<std::uint32_t>(index));
    }

    // The names are read one after another from the first one on, as linkers
    // store them; the walk ends with the region.
    std::uint32_t firstName = 0;
    if (numberOfNames == 0 || !region.ReadU32(addressOfNames, firstName)) {
        return 0;
    }
    std::uint64_t namePos = firstName;
    std::uint64_t ordPos = addressOfNameOrdinals;
    for (std::uint32_t n = 0; n < numberOfNames; ++n) {
        const char* candidate = region.TextAt(namePos);
        std::uint16_t index = 0;
        if (candidate == nullptr || !region.ReadU16(ordPos, index)) {
            return 0;
        }
        const std::size_t length = std::strlen(candidate);
        if (index < numberOfFunctions && length == name.size() &&
            std::memcmp(candidate, name.data(), length) == 0) {
            const std::uint32_t address = functionAt(index);
            if (address != 0) {
                return address;
            }
        }
        namePos += length + 1;
        ordPos += 2;
    }
    return 0;
}

std::uint32_t MemoryModule::GetEntryPoint() const {
    if (handle == 0) {
        return 0;
    }
    const BoundedBytes region = MappedRegion(handle);
    std::uint32_t lfanew = 0;
    std::uint32_t entry = 0;
    if (!region.ReadU32(image::kLfanewOffset, lfanew) ||
        !region.ReadU32(std::uint64_t{lfanew} + 40, entry)) {
        return 0;
    }
    return handle + entry;
}
