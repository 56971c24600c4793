// The answer decoding and the component that stands in for the script
// engine. The literal is read in UTF-16 units, as the engine sees it after
// the automation bridge has converted the statement from GBK; the escapes of
// the literal are applied first and `unescape` runs over the result.
#include "cloud/AnswerDecoding.h"

#include "http/Encoding.h"
#include "text/TextRules.h"

#include <cstddef>
#include <string>

namespace {

using Units = std::u16string;

// Stands in for each CR LF pair while the answer is inside the literal.
const Text kLineBreakStandIn = "{$}";
// Stands in for each apostrophe, which would end the literal.
const Text kApostropheStandIn = "’";

Units UnitsOf(const Bytes& wide) {
    Units units;
    units.reserve(wide.size() / 2);
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        units.push_back(static_cast<char16_t>(wide[i] | (wide[i + 1] << 8)));
    }
    return units;
}

Bytes BytesOfUnits(const Units& units) {
    Bytes wide;
    wide.reserve(units.size() * 2);
    for (char16_t unit : units) {
        wide.push_back(static_cast<unsigned char>(unit & 0xFF));
        wide.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return wide;
}

int HexValue(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') {
        return unit - u'0';
    }
    if (unit >= u'a' && unit <= u'f') {
        return unit - u'a' + 10;
    }
    if (unit >= u'A' && unit <= u'F') {
        return unit - u'A' + 10;
    }
    return -1;
}

// The value of `count` hex digits at `at`, or -1 when they are not all there.
long HexRun(const Units& units, std::size_t at, std::size_t count) {
    if (at > units.size() || units.size() - at < count) {
        return -1;
    }
    long value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        int digit = HexValue(units[at + i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

bool IsLineTerminator(char16_t unit) {
    return unit == u'\n' || unit == u'\r' || unit == 0x2028 || unit == 0x2029;
}

bool IsOctalDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'7';
}

// The literal's escapes applied; false when the engine would reject it.
bool LiteralValue(const Units& body, Units& valueOut) {
    valueOut.clear();
    std::size_t i = 0;
    while (i < body.size()) {
        char16_t unit = body[i];
        if (IsLineTerminator(unit) || unit == u'\'') {
            return false;
        }
        if (unit != u'\\') {
            valueOut.push_back(unit);
            ++i;
            continue;
        }
        if (i + 1 == body.size()) {
            return false; // the backslash would escape the closing quote
        }
        char16_t escaped = body[i + 1];
        i += 2;
        switch (escaped) {
        case u'b':
            valueOut.push_back(u'\b');
            break;
        case u'f':
            valueOut.push_back(u'\f');
            break;
        case u'n':
            valueOut.push_back(u'\n');
            break;
        case u'r':
            valueOut.push_back(u'\r');
            break;
        case u't':
            valueOut.push_back(u'\t');
            break;
        case u'v':
            valueOut.push_back(u'\v');
            break;
        case u'x':
        case u'u': {
            std::size_t digits = escaped == u'x' ? 2 : 4;
            long value = HexRun(body, i, digits);
            if (value < 0) {
                return false;
            }
            valueOut.push_back(static_cast<char16_t>(value));
            i += digits;
            break;
        }
        default:
            if (IsLineTerminator(escaped)) {
                return false;
            }
            if (IsOctalDigit(escaped)) {
                // Up to three digits from 0-3, up to two from 4-7.
                int value = escaped - u'0';
                std::size_t more = escaped <= u'3' ? 2 : 1;
                while (more > 0 && i < body.size() && IsOctalDigit(body[i])) {
                    value = value * 8 + (body[i] - u'0');
                    ++i;
                    --more;
                }
                valueOut.push_back(static_cast<char16_t>(value));
            } else {
                valueOut.push_back(escaped); // \' \" \\ and any ordinary character
            }
            break;
        }
    }
    return true;
}

// The script's `unescape`: %uXXXX gives that unit, %XX the unit 00XX; any
// other percent sign stays.
Units Unescape(const Units& text) {
    Units result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'%') {
            if (i + 1 < text.size() && text[i + 1] == u'u') {
                long value = HexRun(text, i + 2, 4);
                if (value >= 0) {
                    result.push_back(static_cast<char16_t>(value));
                    i += 6;
                    continue;
                }
            }
            long value = HexRun(text, i + 1, 2);
            if (value >= 0) {
                result.push_back(static_cast<char16_t>(value));
                i += 3;
                continue;
            }
        }
        result.push_back(text[i]);
        ++i;
    }
    return result;
}

// A text as the automation bridge hands it over: up to its first NUL byte.
Text AsBridgeText(const Text& text) {
    return Text(text.c_str());
}

} // namespace

bool UnescapeQuotedLiteral(const Text& literalBody, Text& decodedOut) {
    decodedOut.clear();
    Units value;
    Units body = UnitsOf(TextToWide(AsBridgeText(literalBody)));
    if (!body.empty() && body.back() == 0) {
        body.pop_back(); // the terminator the conversion counts
    }
    if (!LiteralValue(body, value)) {
        return false;
    }
    decodedOut = WideToText(BytesOfUnits(Unescape(value)));
    return true;
}

Text ReadBytesAsUnicode(const Bytes& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        return WideToText(Bytes(bytes.begin() + 2, bytes.end()));
    }
    return WideToText(bytes);
}

Text DecodeAnswer(const Text& text) {
    Text literal = ReplaceAll(AsBridgeText(text), "\r\n", kLineBreakStandIn);
    if (!literal.empty() && literal[0] == '\r') {
        literal.erase(0, 1);
    }
    literal = ReplaceAll(literal, "\\u", "%u");
    literal = ReplaceAll(literal, "'", kApostropheStandIn);

    Text taken;
    UnescapeQuotedLiteral(literal, taken);
    // When the decoding gives nothing, the answer's bytes read as UTF-16 are
    // taken. Reading them has no effect of its own, so it is done only then.
    if (taken.empty()) {
        taken = ReadBytesAsUnicode(BytesOf(literal));
    }

    taken = ReplaceAll(taken, kApostropheStandIn, "'");
    return ReplaceAll(taken, kLineBreakStandIn, "\r\n");
}
