// Bytes read in a named charset, the stand-in for a text stream component:
// a table from charset names (letters in any case) to code pages, and the
// conversion through the platform's code-page functions into Text.
#pragma once

#include "text/Text.h"

#include <optional>

// The code page of a charset name, or 0 for a name the table does not know.
// "unicode", "utf-16" and "utf-16le" give 1200 (UTF-16 little-endian).
unsigned CodePageOfCharset(const Text& charset);

// The bytes read as text in `charset` and converted to Text (GBK), up to the
// first NUL character; characters GBK cannot hold become '?'. Nothing when
// the charset is unknown or the bytes cannot be converted at all.
std::optional<Text> ReadBytesInCharset(const Bytes& bytes, const Text& charset);
