// Charset names to code pages, and bytes to Text through them; see Charset.h.
#include "http/Charset.h"

#include "platform/CodePageConversion.h"
#include "text/TextRules.h"

#include <climits>

namespace {

constexpr unsigned kUtf16Le = 1200;

struct CharsetName {
    const char* name;
    unsigned codePage;
};

// The names pages declare most often; each code page here is one both the
// Windows code-page functions and the native seam convert.
const CharsetName kCharsets[] = {
    {"utf-8", 65001},
    {"utf8", 65001},
    {"unicode-1-1-utf-8", 65001},
    {"gbk", 936},
    {"gb2312", 936},
    {"gb_2312-80", 936},
    {"x-gbk", 936},
    {"cp936", 936},
    {"windows-936", 936},
    {"gb18030", 54936},
    {"big5", 950},
    {"big5-hkscs", 950},
    {"shift_jis", 932},
    {"shift-jis", 932},
    {"sjis", 932},
    {"x-sjis", 932},
    {"windows-31j", 932},
    {"euc-kr", 949},
    {"ks_c_5601-1987", 949},
    {"iso-8859-1", 28591},
    {"latin1", 28591},
    {"us-ascii", 20127},
    {"ascii", 20127},
    {"koi8-r", 20866},
    {"windows-1250", 1250},
    {"windows-1251", 1251},
    {"windows-1252", 1252},
    {"windows-1253", 1253},
    {"windows-1254", 1254},
    {"windows-1255", 1255},
    {"windows-1256", 1256},
    {"windows-1257", 1257},
    {"windows-1258", 1258},
    {"unicode", kUtf16Le},
    {"utf-16", kUtf16Le},
    {"utf-16le", kUtf16Le},
};

} // namespace

unsigned CodePageOfCharset(const Text& charset) {
    for (const CharsetName& known : kCharsets) {
        if (TextEquals(charset, known.name, true)) {
            return known.codePage;
        }
    }
    return 0;
}

std::optional<Text> ReadBytesInCharset(const Bytes& bytes, const Text& charset) {
    const unsigned codePage = CodePageOfCharset(charset);
    if (codePage == 0 || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::nullopt;
    }
    if (bytes.empty()) {
        return Text();
    }
    std::u16string wide;
    if (codePage == kUtf16Le) {
        wide.resize(bytes.size() / 2);
        for (std::size_t i = 0; i < wide.size(); ++i) {
            wide[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        }
    } else {
        const char* source = reinterpret_cast<const char*>(bytes.data());
        const int length = static_cast<int>(bytes.size());
        const int units = MultiByteToWide(codePage, 0, source, length, nullptr, 0);
        if (units <= 0) {
            return std::nullopt;
        }
        wide.resize(static_cast<std::size_t>(units));
        if (MultiByteToWide(codePage, 0, source, length, wide.data(), units) != units) {
            return std::nullopt;
        }
    }
    // The text ends at its first NUL character, as a string handed across
    // the component boundary does.
    const std::size_t end = wide.find(u'\0');
    if (end != std::u16string::npos) {
        wide.resize(end);
    }
    if (wide.empty()) {
        return Text();
    }
    const int units = static_cast<int>(wide.size());
    const int needed = WideToMultiByte(kCodePageGbk, 0, wide.data(), units, nullptr, 0);
    if (needed <= 0) {
        return std::nullopt;
    }
    Text text(static_cast<std::size_t>(needed), '\0');
    if (WideToMultiByte(kCodePageGbk, 0, wide.data(), units, text.data(), needed) != needed) {
        return std::nullopt;
    }
    return text;
}
