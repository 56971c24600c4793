// The file-system services over kernel32 and shlwapi.
#include "platform/FileSystem.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>

bool FindPathEntry(const Text& path, std::uint32_t& lowSizeOut) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    lowSizeOut = found.nFileSizeLow;
    FindClose(search);
    return true;
}

bool LocalLastWriteTime(const Text& path, LocalDateTime& timeOut) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    FILETIME written, local;
    SYSTEMTIME fields;
    bool ok = GetFileTime(file, nullptr, nullptr, &written) &&
              FileTimeToLocalFileTime(&written, &local) && FileTimeToSystemTime(&local, &fields);
    CloseHandle(file);
    if (ok) {
        timeOut = {fields.wYear, fields.wMonth,  fields.wDay,
                   fields.wHour, fields.wMinute, fields.wSecond};
    }
    return ok;
}

namespace {

SYSTEMTIME SystemTimeOf(const LocalDateTime& time) {
    SYSTEMTIME fields = {};
    fields.wYear = static_cast<WORD>(time.year);
    fields.wMonth = static_cast<WORD>(time.month);
    fields.wDay = static_cast<WORD>(time.day);
    fields.wHour = static_cast<WORD>(time.hour);
    fields.wMinute = static_cast<WORD>(time.minute);
    fields.wSecond = static_cast<WORD>(time.second);
    return fields;
}

} // namespace

Text FormatDate(const LocalDateTime& time, const Text& picture) {
    SYSTEMTIME fields = SystemTimeOf(time);
    char buffer[128];
    int length = GetDateFormatA(0, 0, &fields, picture.c_str(), buffer, sizeof buffer);
    return length > 0 ? Text(buffer) : Text();
}

Text FormatTime(const LocalDateTime& time, const Text& picture) {
    SYSTEMTIME fields = SystemTimeOf(time);
    char buffer[128];
    int length = GetTimeFormatA(0, 0, &fields, picture.c_str(), buffer, sizeof buffer);
    return length > 0 ? Text(buffer) : Text();
}

Text PathFileNamePart(const Text& path) {
    return Text(PathFindFileNameA(path.c_str()));
}

ReadOnlyFile::ReadOnlyFile(const Text& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        handle_ = file;
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

std::int64_t ReadOnlyFile::Length() const {
    LARGE_INTEGER size;
    if (handle_ == nullptr || !GetFileSizeEx(handle_, &size)) {
        return -1;
    }
    return size.QuadPart;
}

std::size_t ReadOnlyFile::Read(unsigned char* destination, std::size_t count) {
    // In pieces: one ReadFile takes a 32-bit count, and smaller pieces keep
    // the system's own buffers small.
    constexpr std::size_t kPiece = 16 << 20;
    std::size_t total = 0;
    while (handle_ != nullptr && total < count) {
        DWORD wanted = static_cast<DWORD>(std::min(kPiece, count - total));
        DWORD got = 0;
        if (!ReadFile(handle_, destination + total, wanted, &got, nullptr) || got == 0) {
            break;
        }
        total += got;
    }
    return total;
}
