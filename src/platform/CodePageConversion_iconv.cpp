// The code-page seam over iconv, for the native build. It converts the whole
// source into a scratch buffer and then, like kernel32, either reports the
// size or copies into the caller's buffer when it is large enough.
#include "platform/CodePageConversion.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

std::string IconvName(unsigned codePage) {
    switch (codePage) {
    case 936:
        return "CP936";
    case 65001:
        return "UTF-8";
    case 1200:
        return "UTF-16LE";
    case 1201:
        return "UTF-16BE";
    case 20127:
        return "ASCII";
    case 28591:
        return "ISO-8859-1";
    case 20866:
        return "KOI8-R";
    case 54936:
        return "GB18030";
    case 950:
        return "BIG5";
    case 932:
        return "SHIFT_JIS";
    case 949:
        return "CP949";
    case 51932:
        return "EUC-JP";
    default:
        return "CP" + std::to_string(codePage);
    }
}

// Converts `length` bytes; an unconvertible input unit becomes `replacement`
// (already in the target form) and is skipped `skip` bytes at a time.
bool Convert(const char* from, const char* to, const char* input, std::size_t length,
             std::size_t skip, const std::string& replacement, std::string& output) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    output.clear();
    char* in = const_cast<char*>(input);
    std::size_t inLeft = length;
    std::vector<char> chunk(4096);
    while (inLeft > 0) {
        char* out = chunk.data();
        std::size_t outLeft = chunk.size();
        std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(chunk.data(), chunk.size() - outLeft);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL (a truncated sequence): replace and move on.
            output += replacement;
            std::size_t step = skip < inLeft ? skip : inLeft;
            in += step;
            inLeft -= step;
        }
    }
    iconv_close(cd);
    return true;
}

} // namespace

int MultiByteToWide(unsigned codePage, unsigned, const char* source, int sourceBytes, char16_t* out,
                    int outUnits) {
    if (source == nullptr) {
        return 0;
    }
    std::size_t length =
        sourceBytes < 0 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceBytes);
    std::string converted;
    if (!Convert(IconvName(codePage).c_str(), "UTF-16LE", source, length, 1, std::string("?\0", 2),
                 converted)) {
        return 0;
    }
    int units = static_cast<int>(converted.size() / 2);
    if (out == nullptr || outUnits == 0) {
        return units;
    }
    if (outUnits < units) {
        return 0;
    }
    std::memcpy(out, converted.data(), converted.size());
    return units;
}

int WideToMultiByte(unsigned codePage, unsigned, const char16_t* source, int sourceUnits, char* out,
                    int outBytes) {
    if (source == nullptr) {
        return 0;
    }
    std::size_t units = 0;
    if (sourceUnits < 0) {
        while (source[units] != 0) {
            ++units;
        }
        ++units;
    } else {
        units = static_cast<std::size_t>(sourceUnits);
    }
    std::string converted;
    if (!Convert("UTF-16LE", IconvName(codePage).c_str(), reinterpret_cast<const char*>(source),
                 units * 2, 2, "?", converted)) {
        return 0;
    }
    int bytes = static_cast<int>(converted.size());
    if (out == nullptr || outBytes == 0) {
        return bytes;
    }
    if (outBytes < bytes) {
        return 0;
    }
    std::memcpy(out, converted.data(), converted.size());
    return bytes;
}
