// A small PE32 image made in memory for the loader's tests, laid out so that
// every section's file offset equals its RVA: a structure written at an RVA
// of the file is where the mapped image will have it. One section covers
// everything after the first page; tests write their tables into it and then
// break whatever field a case is about.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "text/Text.h"

class TestImage {
public:
    static constexpr std::uint32_t kImageBase = 0x10000000;
    static constexpr std::uint32_t kSectionRva = 0x1000;

    explicit TestImage(std::uint32_t size = 0x4000, std::uint32_t lfanew = 0x80) : bytes(size, 0) {
        U16(0, 0x5A4D);
        U32(60, lfanew);
        U32(lfanew, 0x4550);
        Nt16(4, 0x014C);      // i386
        Nt16(6, 1);           // one section
        Nt16(20, 0xE0);       // size of the PE32 optional header
        Nt16(22, 0x2002);     // executable DLL
        Nt16(24, 0x010B);     // PE32
        Nt32(52, kImageBase); // ImageBase
        Nt32(56, 0x1000);     // SectionAlignment
        Nt32(60, 0x200);      // FileAlignment
        Nt32(80, size);       // SizeOfImage
        Nt32(84, 0x1000);     // SizeOfHeaders
        Nt32(116, 16);        // NumberOfRvaAndSizes
        Section(0, size - kSectionRva, kSectionRva, size - kSectionRva, kSectionRva);
    }

    std::uint32_t Lfanew() const { return U32At(60); }

    void U8(std::uint32_t at, std::uint8_t v) { bytes.at(at) = v; }
    void U16(std::uint32_t at, std::uint16_t v) {
        U8(at, static_cast<std::uint8_t>(v));
        U8(at + 1, static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t at, std::uint32_t v) {
        U16(at, static_cast<std::uint16_t>(v));
        U16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }
    void Str(std::uint32_t at, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            U8(at + static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(text[i]));
        }
        U8(at + static_cast<std::uint32_t>(text.size()), 0);
    }
    std::uint32_t U32At(std::uint32_t at) const {
        std::uint32_t v;
        std::memcpy(&v, &bytes.at(at), 4);
        return v;
    }

    // Fields of the NT headers, by their offset from the signature.
    void Nt16(std::uint32_t at, std::uint16_t v) { U16(Lfanew() + at, v); }
    void Nt32(std::uint32_t at, std::uint32_t v) { U32(Lfanew() + at, v); }
    void Directory(int index, std::uint32_t rva, std::uint32_t size) {
        Nt32(120 + 8 * index, rva);
        Nt32(124 + 8 * index, size);
    }
    void Section(int index, std::uint32_t virtualSize, std::uint32_t rva, std::uint32_t rawSize,
                 std::uint32_t rawPointer) {
        const std::uint32_t at = Lfanew() + 248 + 40 * static_cast<std::uint32_t>(index);
        U32(at + 8, virtualSize);
        U32(at + 12, rva);
        U32(at + 16, rawSize);
        U32(at + 20, rawPointer);
    }
    void EntryPoint(std::uint32_t rva) { Nt32(40, rva); }
    void Characteristics(std::uint16_t bits) { Nt16(22, bits); }

    Bytes bytes;
};
