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
