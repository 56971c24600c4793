// Feeds arbitrary bytes to the search, replace, trim, split and marker
// operations: none may read outside its texts, and every result keeps the
// invariants the callers rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "http/TextBetween.h"
#include "text/TextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Input: start byte, then three texts separated by 0xFF bytes.
    if (size < 1) {
        return 0;
    }
    const int start = static_cast<int8_t>(data[0]);
    Text parts[3];
    std::size_t part = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFF && part < 2) {
            ++part;
        } else {
            parts[part] += static_cast<char>(data[i]);
        }
    }
    const Text& text = parts[0];
    int found = FindText(text, parts[1], start, (start & 1) != 0);
    if (found != -1 && (found < 1 || static_cast<std::size_t>(found) > text.size())) {
        std::abort();
    }
    Text replaced = ReplaceAll(text, parts[1], parts[2], (start & 2) != 0);
    if (parts[1].empty() && replaced != text) {
        std::abort();
    }
    if (TrimBlanks(text).size() > text.size()) {
        std::abort();
    }
    for (const Text& piece : SplitText(text, parts[1])) {
        if (piece.size() > text.size()) {
            std::abort();
        }
    }
    if (TextBetween(text, parts[1], parts[2], start).size() > text.size() ||
        TextBefore(text, parts[1]).size() > text.size() ||
        TextAfter(text, parts[1]).size() > text.size()) {
        std::abort();
    }
    return 0;
}
