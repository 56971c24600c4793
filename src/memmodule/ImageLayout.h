// The parts of a 32-bit PE image the loader reads, and the steps of a load
// that work on a mapped region: relocation and import binding. Field names
// are the PE/COFF format's own.
#pragma once

#include <cstdint>

#include "memmodule/BoundedBytes.h"
#include "memmodule/MemoryModule.h"

namespace image {

constexpr std::uint16_t kDosMagic = 0x5A4D;    // "MZ"
constexpr std::uint32_t kNtSignature = 0x4550; // "PE\0\0"
constexpr std::uint32_t kDosHeaderSize = 64;
constexpr std::uint32_t kLfanewOffset = 60;
constexpr std::uint32_t kNtHeadersSize = 248; // signature, file header, PE32 optional header
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint16_t kExecutableImage = 0x0002;
constexpr std::uint16_t kDll = 0x2000;
constexpr int kExportDirectory = 0;
constexpr int kImportDirectory = 1;
constexpr int kRelocationDirectory = 5;
constexpr std::uint32_t kReleaseWholeRegion = 0x8000; // MEM_RELEASE, size 0
constexpr std::uint32_t kProcessAttach = 1;
constexpr std::uint32_t kProcessDetach = 0;

} // namespace image

struct DataDirectory {
    std::uint32_t virtualAddress = 0;
    std::uint32_t size = 0;
};

// The fields of the 248 bytes of NT headers that the loader uses.
struct NtHeaders {
    std::uint32_t signature = 0;
    std::int16_t numberOfSections = 0; // signed, as the loader has always taken it
    std::uint16_t characteristics = 0;
    std::uint32_t addressOfEntryPoint = 0;
    std::uint32_t imageBase = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t sizeOfImage = 0;
    DataDirectory dataDirectory[16];
};

struct SectionHeader {
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t sizeOfRawData = 0;
    std::uint32_t pointerToRawData = 0;
};

// The NT headers at offset; false when the 248 bytes do not fit.
bool ReadNtHeaders(const BoundedBytes& bytes, std::uint64_t offset, NtHeaders& headersOut);

// Reads the DOS header and the NT headers at the start of bytes and checks
// both signatures; on success also gives e_lfanew.
bool ReadImageHeaders(const BoundedBytes& bytes, std::uint32_t& lfanewOut, NtHeaders& headersOut);

// value rounded up to a multiple of alignment (which must not be 0), in
// 32-bit arithmetic.
std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment);

// The region of a mapped image, seen through its bounds.
BoundedBytes RegionBytes(std::uint32_t base, std::uint32_t size);

// Adds base - ImageBase to every HIGHLOW site of the relocation table. False,
// with the region partly relocated, when a block or a site lies outside the
// region, a block is shorter than its header, or the table has no ending
// header inside the region.
bool ApplyRelocations(std::uint32_t base, std::uint32_t regionSize, const NtHeaders& headers);

// Fills every import address table of the image, asking the resolver first
// when one is given. False when a function is not supplied, or when a
// descriptor, an address table entry or a name does not lie inside the region
// (the arrays must end inside it).
bool BindImports(std::uint32_t base, std::uint32_t regionSize, const NtHeaders& headers,
                 ImportResolver resolver, std::int32_t resolverParam);
