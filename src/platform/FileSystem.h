// The file-system services the upload relies on: looking a path up, a
// file's last-write time in local calendar fields and its formatting, the
// last component of a path, and reading a file straight into a buffer.
#pragma once

#include "text/Text.h"

#include <cstddef>
#include <cstdint>

// Whether anything (file or directory) is found at `path`; its entry's size,
// low 32 bits, when it is.
bool FindPathEntry(const Text& path, std::uint32_t& lowSizeOut);

struct LocalDateTime {
    int year, month, day;
    int hour, minute, second;
};

// The file's last-write time in local time. False when the file cannot be
// opened for reading with others allowed only to read, which also fails for
// directories and for files another program holds without read sharing.
bool LocalLastWriteTime(const Text& path, LocalDateTime& timeOut);

// The date and the time in the system's pictures ("yyyy-MM-dd", "HH:mm:ss"),
// formatted for the user's default locale; empty when formatting fails.
Text FormatDate(const LocalDateTime& time, const Text& picture);
Text FormatTime(const LocalDateTime& time, const Text& picture);

// The part of `path` after its last separator that is followed by more
// characters, as the shell's path functions find it.
Text PathFileNamePart(const Text& path);

// A file opened for reading, others allowed to read and write; closed when
// the object goes.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const Text& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    // The file's length in bytes, or -1 when it is not open or unknown.
    std::int64_t Length() const;
    // Reads up to `count` bytes from the current position; how many it read.
    std::size_t Read(unsigned char* destination, std::size_t count);

private:
    void* handle_ = nullptr;
};
