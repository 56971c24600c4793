// The facts about a file that the upload form carries: its size in whole
// kilobytes, its last-write time as local date-and-time text and its name
// without the directories. None of them changes the file.
#pragma once

#include "text/Text.h"

#include <cstdint>

// The size in kilobytes of 1024 bytes, rounded up, of what is found at
// `path` (a directory reports its entry's size); -1 when nothing is found.
// Only the low 32 bits of the size count, so files of 2 GiB or more come out
// wrong.
std::int32_t FileSizeInKb(const Text& path);

// The last-write time in local time as 'yyyy-MM-dd HH:mm:ss'; the empty text
// when the file cannot be opened for reading with others allowed to read.
Text FileModifiedTime(const Text& path);

// The last component of the path, extension included; the empty text when
// the path ends in a backslash. The file system is not consulted.
Text FileNameOf(const Text& path);

// The rounding rule of FileSizeInKb for the low 32 bits of a size read as a
// signed number: its absolute value in kilobytes, rounded up.
std::int32_t KilobytesFromLowSize(std::int32_t lowSize);

// FileNameOf's rule for what the path splitter found: the part itself, or
// the empty text when it ends in a backslash.
Text NameFromLastComponent(const Text& lastComponent);
