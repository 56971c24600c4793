// TextToWide and WideToText: size, allocate zeroed, convert, as kernel32's
// two-call pattern wants. A failed sizing step gives an empty result.
#include "http/Encoding.h"

#include <cstring>
#include <vector>

#include "platform/CodePageConversion.h"

Bytes TextToWide(const Text& text) {
    if (text.empty()) {
        return Bytes();
    }
    // The text ends at its first NUL, as the platform reads it.
    const char* source = text.c_str();
    int units = MultiByteToWide(kCodePageGbk, 0, source, -1, nullptr, 0);
    if (units <= 0) {
        return Bytes();
    }
    std::vector<char16_t> buffer(static_cast<std::size_t>(units), 0);
    MultiByteToWide(kCodePageGbk, 0, source, -1, buffer.data(), units);
    Bytes wide(buffer.size() * 2, 0);
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        wide[2 * i] = static_cast<unsigned char>(buffer[i] & 0xFF);
        wide[2 * i + 1] = static_cast<unsigned char>(buffer[i] >> 8);
    }
    return wide;
}

Text WideToText(const Bytes& wide) {
    const std::size_t units = wide.size() / 2;
    if (units == 0) {
        return Text();
    }
    std::vector<char16_t> buffer(units);
    for (std::size_t i = 0; i < units; ++i) {
        buffer[i] = static_cast<char16_t>(wide[2 * i] | (wide[2 * i + 1] << 8));
    }
    const int count = static_cast<int>(units);
    int bytes = WideToMultiByte(kCodePageGbk, kWcCompositeCheck, buffer.data(), count, nullptr, 0);
    if (bytes <= 0) {
        return Text();
    }
    std::vector<char> out(static_cast<std::size_t>(bytes), 0);
    WideToMultiByte(kCodePageGbk, kWcCompositeCheck, buffer.data(), count, out.data(), bytes);
    return Text(out.data(), strnlen(out.data(), out.size()));
}

const char16_t* WidePointer(const Bytes& wide) {
    return wide.empty() ? nullptr : reinterpret_cast<const char16_t*>(wide.data());
}
