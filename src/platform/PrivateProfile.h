// The system's private-profile (INI) functions as Text. A file name without
// a directory is resolved by the system in the Windows directory.
#pragma once

#include <cstddef>

#include "text/Text.h"

// The value of `key` in `section`, read into a buffer of `bufferBytes` bytes
// (a longer value comes back cut to bufferBytes - 1 bytes); empty when the
// file, the section or the key is missing.
Text ReadProfileValue(const Text& section, const Text& key, const Text& fileName,
                      std::size_t bufferBytes);

// Writes the value, creating the file, section or key as needed; false when
// the system refused the write.
bool WriteProfileValue(const Text& section, const Text& key, const Text& value,
                       const Text& fileName);
