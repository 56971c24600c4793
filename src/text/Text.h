// The value types every part of the program passes around.
//
// Text is 8-bit text in the ANSI code page (GBK on the target systems) and is
// handled byte by byte; it ends at its first NUL byte when it comes from a
// buffer. Bytes may hold NUL bytes: bodies, file contents, UTF-16 and UTF-8
// buffers, carried images. TextArray is an ordered list of Text; the program
// talks about its items with 1-based indexes (see ItemAt).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

using Text = std::string;
using Bytes = std::vector<unsigned char>;
using TextArray = std::vector<Text>;

// The item at a 1-based index, or the empty text when there is none.
inline Text ItemAt(const TextArray& items, int index) {
    if (index < 1 || static_cast<std::size_t>(index) > items.size()) {
        return Text();
    }
    return items[static_cast<std::size_t>(index) - 1];
}

// The bytes of a text, without any terminator.
inline Bytes BytesOf(const Text& text) {
    return Bytes(text.begin(), text.end());
}

// A buffer read as text: its bytes up to the first NUL, or all of them.
Text TextFromBytes(const Bytes& bytes);
