// Access to the fixture images the Windows build puts beside the test
// programs, and to what their entry points record.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <windows.h>

#include "text/Text.h"

inline std::string TestDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

inline std::string FixturePath(const char* name) {
    return TestDirectory() + name;
}

inline Bytes ReadFixture(const char* name) {
    Bytes bytes;
    std::FILE* file = std::fopen(FixturePath(name).c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    unsigned char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    std::fclose(file);
    return bytes;
}

// What the fixtures' entry points recorded since the last call; clears it.
inline std::string TakeEntryLog() {
    char log[1024];
    const DWORD length = GetEnvironmentVariableA("MEMMODULE_FIXTURE_LOG", log, sizeof log);
    SetEnvironmentVariableA("MEMMODULE_FIXTURE_LOG", nullptr);
    return length > 0 && length < sizeof log ? std::string(log, length) : std::string();
}

inline std::uint32_t File32(const Bytes& bytes, std::uint32_t at) {
    return static_cast<std::uint32_t>(bytes.at(at)) | bytes.at(at + 1) << 8 |
           bytes.at(at + 2) << 16 | static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

inline std::uint32_t PreferredBase(const Bytes& image) {
    return File32(image, File32(image, 60) + 52);
}

inline bool RangeIsFree(std::uint32_t address) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), &info,
                        sizeof info) != 0 &&
           info.State == MEM_FREE;
}

inline std::uint32_t MappedSize(std::uint32_t base) {
    MEMORY_BASIC_INFORMATION info;
    VirtualQuery(reinterpret_cast<void*>(static_cast<std::uintptr_t>(base)), &info, sizeof info);
    return static_cast<std::uint32_t>(info.RegionSize);
}
