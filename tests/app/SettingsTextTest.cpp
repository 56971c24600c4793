// The escaping of stored values: the order of the two replacements, the
// marks in the box text itself, and the double-byte rule.
#include <gtest/gtest.h>

#include "app/SettingsText.h"

namespace {

TEST(EscapeSettingValue, WritesLineBreaksThenQuotesAsMarks) {
    const struct {
        const char* boxText;
        const char* stored;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a\r\nb", "a><br><b"},
        {"\r\n\r\n", "><br><><br><"},
        {"a\nb\rc", "a\nb\rc"}, // only the pair is a line break
        {"\n\r", "\n\r"},
        {"\r\r\n", "\r><br><"},
        {"say \"hi\"", "say #引号hi#引号"},
        {"\"\r\n\"", "#引号><br><#引号"},
        {"\x81\"", "\x81\""}, // a quote as a second byte is no quote
        {"\xB5\xC7\xC2\xBC\"", "\xB5\xC7\xC2\xBC#引号"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.boxText << "'");
        EXPECT_EQ(EscapeSettingValue(c.boxText), c.stored);
    }
}

TEST(UnescapeSettingValue, ReadsMarksBackInTheirOrder) {
    const struct {
        const char* stored;
        const char* boxText;
    } cases[] = {
        {"", ""},
        {"a><br><b", "a\r\nb"},
        {"#引号x#引号", "\"x\""},
        {"><br", "><br"},           // an incomplete mark stays
        {"><br><br><", "\r\nbr><"}, // left to right, no rescanning
        {"#引号#引号", "\"\""},
        {"><BR><", "><BR><"},                       // exact bytes
        {"#\xD2\xFD\xBA\xC6", "#\xD2\xFD\xBA\xC6"}, // one byte off is no mark
        {"\x81#引号", "\x81#引号"},                 // "#" is the second byte of \x81#
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.stored << "'");
        EXPECT_EQ(UnescapeSettingValue(c.stored), c.boxText);
    }
}

TEST(SettingValues, BoxTextsHoldingTheMarksComeBackChanged) {
    // A box text that itself holds a mark cannot be told from an escaped
    // character: it comes back as a line break or a quote.
    EXPECT_EQ(UnescapeSettingValue(EscapeSettingValue("a><br><b")), "a\r\nb");
    EXPECT_EQ(UnescapeSettingValue(EscapeSettingValue("#引号")), "\"");
    // Everything else round-trips.
    for (const char* text : {"", "a\r\nb", "\"\"", "x\r\n\"y\"\r\n", "\xB5\xC7\xC2\xBC"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(UnescapeSettingValue(EscapeSettingValue(text)), text);
    }
}

TEST(ProfileValueFor, QuotesOnlyValuesWhoseEdgesTheReaderWouldTake) {
    const struct {
        const char* escaped;
        const char* written;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"in ner", "in ner"},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"\ttab", "\"\ttab\""},
        {"\xA1\xA1wide", "\"\xA1\xA1wide\""}, // the ideographic space
        {"wide\xA1\xA1", "\"wide\xA1\xA1\""},
        {"\xB0\xA1\xA1", "\xB0\xA1\xA1"}, // A1 here ends a character, no space
        {"'single'", "\"'single'\""},
        {"'one side", "'one side"},
        {"'", "'"},
        {"#引号x#引号", "#引号x#引号"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.escaped << "'");
        EXPECT_EQ(ProfileValueFor(c.escaped), c.written);
    }
}

} // namespace
