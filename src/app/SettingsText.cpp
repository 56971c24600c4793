// The escaping of stored values, in its fixed order, through the shared
// replace-all rule (exact bytes, left to right, no rescanning, never on a
// second byte).
#include "app/SettingsText.h"

#include "text/TextRules.h"

namespace {
const char kLineBreak[] = "\r\n";
const char kLineBreakMark[] = "><br><";
const char kQuote[] = "\"";
const char kQuoteMark[] = "#引号";
} // namespace

Text EscapeSettingValue(const Text& boxText) {
    return ReplaceAll(ReplaceAll(boxText, kLineBreak, kLineBreakMark), kQuote, kQuoteMark);
}

Text UnescapeSettingValue(const Text& storedValue) {
    return ReplaceAll(ReplaceAll(storedValue, kLineBreakMark, kLineBreak), kQuoteMark, kQuote);
}

namespace {

// The bytes the profile reader counts as space at a value's edges.
bool IsTrimmedByte(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1A';
}

} // namespace

Text ProfileValueFor(const Text& escapedValue) {
    const Text& v = escapedValue;
    if (v.empty()) {
        return v;
    }
    const bool edgesTrimmed =
        IsTrimmedByte(v.front()) || IsTrimmedByte(v.back()) || TrimBlanks(v) != v;
    const bool quotedBySingleQuotes = v.size() >= 2 && v.front() == '\'' && v.back() == '\'';
    if (edgesTrimmed || quotedBySingleQuotes) {
        return "\"" + v + "\"";
    }
    return v;
}
