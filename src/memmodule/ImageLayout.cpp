// Header reading, relocation and import binding over a bounded view of the
// mapped region. Each walk advances through the region and stops at its end,
// so no table can make the loader read or write outside it or loop forever.
#include "memmodule/ImageLayout.h"

#include <string>

#include "memmodule/MemoryModuleSystem.h"

bool ReadNtHeaders(const BoundedBytes& bytes, std::uint64_t offset, NtHeaders& headersOut) {
    if (!bytes.Has(offset, image::kNtHeadersSize)) {
        return false;
    }
    NtHeaders headers;
    std::uint16_t sections = 0;
    bytes.ReadU32(offset, headers.signature);
    bytes.ReadU16(offset + 6, sections);
    headers.numberOfSections = static_cast<std::int16_t>(sections);
    bytes.ReadU16(offset + 22, headers.characteristics);
    bytes.ReadU32(offset + 40, headers.addressOfEntryPoint);
    bytes.ReadU32(offset + 52, headers.imageBase);
    bytes.ReadU32(offset + 56, headers.sectionAlignment);
    bytes.ReadU32(offset + 80, headers.sizeOfImage);
    for (int i = 0; i < 16; ++i) {
        bytes.ReadU32(offset + 120 + 8 * i, headers.dataDirectory[i].virtualAddress);
        bytes.ReadU32(offset + 124 + 8 * i, headers.dataDirectory[i].size);
    }
    headersOut = headers;
    return true;
}

bool ReadImageHeaders(const BoundedBytes& bytes, std::uint32_t& lfanewOut, NtHeaders& headersOut) {
    std::uint16_t magic = 0;
    std::uint32_t lfanew = 0;
    if (!bytes.Has(0, image::kDosHeaderSize) || !bytes.ReadU16(0, magic) ||
        magic != image::kDosMagic || !bytes.ReadU32(image::kLfanewOffset, lfanew)) {
        return false;
    }
    NtHeaders headers;
    if (!ReadNtHeaders(bytes, lfanew, headers) || headers.signature != image::kNtSignature) {
        return false;
    }
    lfanewOut = lfanew;
    headersOut = headers;
    return true;
}

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
    return alignment * ((value + alignment - 1) / alignment);
}

BoundedBytes RegionBytes(std::uint32_t base, std::uint32_t size) {
    return BoundedBytes(reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(base)), size);
}

bool ApplyRelocations(std::uint32_t base, std::uint32_t regionSize, const NtHeaders& headers) {
    BoundedBytes region = RegionBytes(base, regionSize);
    const std::uint32_t delta = base - headers.imageBase;
    std::uint64_t offset = headers.dataDirectory[image::kRelocationDirectory].virtualAddress;
    for (;;) {
        std::uint32_t page = 0;
        std::uint32_t blockSize = 0;
        if (!region.Has(offset, 8) || !region.ReadU32(offset, page) ||
            !region.ReadU32(offset + 4, blockSize)) {
            return false; // the table runs off the region without its ending header
        }
        if (page == 0) {
            return true;
        }
        if (blockSize < 8 || !region.Has(offset, blockSize)) {
            return false;
        }
        const std::uint32_t count = (blockSize - 8) / 2;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint16_t entry = 0;
            region.ReadU16(offset + 8 + 2 * static_cast<std::uint64_t>(i), entry);
            if ((entry & 0xF000) != 0x3000) {
                continue; // only HIGHLOW sites move; padding and other kinds are skipped
            }
            const std::uint32_t site = page + (entry & 0x0FFFu);
            std::uint32_t value = 0;
            if (!region.ReadU32(site, value)) {
                return false;
            }
            region.WriteU32(site, value + delta);
        }
        offset += blockSize;
    }
}

bool BindImports(std::uint32_t base, std::uint32_t regionSize, const NtHeaders& headers,
                 ImportResolver resolver, std::int32_t resolverParam) {
    const MemoryModuleSystem& system = MemoryModuleSystemInUse();
    BoundedBytes region = RegionBytes(base, regionSize);
    constexpr std::uint32_t kDescriptorSize = 20;
    std::uint64_t offset = headers.dataDirectory[image::kImportDirectory].virtualAddress;
    for (;;) {
        std::uint32_t nameRva = 0;
        std::uint32_t firstThunk = 0;
        if (!region.Has(offset, kDescriptorSize) || !region.ReadU32(offset + 12, nameRva) ||
            !region.ReadU32(offset + 16, firstThunk)) {
            return false; // the descriptor array runs off the region
        }
        if (firstThunk == 0) {
            return true;
        }
        const char* library = region.TextAt(nameRva);
        if (library == nullptr) {
            return false;
        }
        const std::uint32_t module = system.loadLibrary(library);
        for (std::uint64_t slot = firstThunk;; slot += 4) {
            std::uint32_t value = 0;
            if (!region.ReadU32(slot, value)) {
                return false; // the address table runs off the region
            }
            if (value == 0) {
                break;
            }
            std::string ordinalText;
            const char* function = nullptr;
            const char* procedureName = nullptr;
            std::uint16_t ordinal = 0;
            if ((value & 0x80000000u) != 0) {
                ordinal = static_cast<std::uint16_t>(value & 0xFFFF);
                ordinalText = std::to_string(ordinal);
                function = ordinalText.c_str();
            } else {
                // A hint/name record: a 16-bit hint, then the name.
                procedureName = region.TextAt(static_cast<std::uint32_t>(value + 2));
                if (procedureName == nullptr) {
                    return false;
                }
                function = procedureName;
            }
            std::uint32_t address = 0;
            if (resolver != 0) {
                address = system.callResolver(resolver, library, function, resolverParam);
            }
            if (address == 0) {
                address = system.findProcedure(module, procedureName, ordinal);
            }
            if (address == 0) {
                return false;
            }
            region.WriteU32(slot, address);
        }
        offset += kDescriptorSize;
    }
}
