// The portable rules of the file facts; the lookups are in FileFacts_win.cpp.
#include "cloud/FileFacts.h"

#include "text/TextRules.h"

std::int32_t KilobytesFromLowSize(std::int32_t lowSize) {
    // Widened first: the absolute value of the smallest 32-bit number does
    // not fit in 32 bits, its kilobytes do.
    std::int64_t bytes = lowSize < 0 ? -static_cast<std::int64_t>(lowSize) : lowSize;
    std::int64_t kilobytes = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return static_cast<std::int32_t>(kilobytes);
}

Text NameFromLastComponent(const Text& lastComponent) {
    // Character by character: the second byte of a double-byte character may
    // be 0x5C without being a backslash.
    bool endsInBackslash = false;
    for (std::size_t i = 0; i < lastComponent.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(lastComponent[i]);
        endsInBackslash = byte == '\\';
        if (IsLeadByte(byte) && i + 1 < lastComponent.size()) {
            ++i;
        }
    }
    return endsInBackslash ? Text() : lastComponent;
}
