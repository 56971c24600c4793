// The answer decoding: the literal's escapes, unescape, the stand-ins for
// CR LF and the apostrophe, and the fallback for answers no literal can hold.
#include <gtest/gtest.h>

#include "cloud/AnswerDecoding.h"

namespace {

// The fallback the decoding takes for an answer it cannot decode: the
// answer's bytes read as UTF-16.
Text Fallback(const Text& answer) {
    return ReadBytesAsUnicode(BytesOf(answer));
}

TEST(DecodeAnswer, DecodesEscapesAndKeepsTheRest) {
    const struct {
        const char* name;
        Text answer;
        Text expected;
    } cases[] = {
        {"\\u escapes", "info:\\u4e0a\\u4f20\\u6210\\u529f", "info:上传成功"},
        {"upper-case hex digits", "\\u4E0A\\u4F20", "上传"},
        {"a service answer",
         "{\"zt\":1,\"info\":\"\\u4e0a\\u4f20\\u6210\\u529f\",\"text\":[{\"f_id\":\"i1\"}]}",
         "{\"zt\":1,\"info\":\"上传成功\",\"text\":[{\"f_id\":\"i1\"}]}"},
        {"CR LF kept", "line1\r\nline2\r\n", "line1\r\nline2\r\n"},
        {"a leading CR dropped", "\rabc", "abc"},
        {"a CR before the first CR LF dropped", "\r\r\nabc", "\r\nabc"},
        {"apostrophe kept", "it's", "it's"},
        {"right single quotation mark becomes an apostrophe", "it’s", "it's"},
        {"an escaped apostrophe", "it\\'s", "it's"},
        {"%20", "a%20b", "a b"},
        {"%XX of ASCII", "%41%42%2f", "AB/"},
        {"%uXXXX", "%u4e0a%u4F20", "上传"},
        {"a percent sign without two hex digits stays", "100% %zz %4", "100% %zz %4"},
        {"an incomplete %u falls back to %XX or stays", "%u4e %u", "%u4e %u"},
        {"escaped slash", "http:\\/\\/a\\/b", "http://a/b"},
        {"escaped backslash", "a\\\\b", "a\\b"},
        {"escaped backslash before u", "\\\\u4e0a", "上"},
        {"\\n is a line break", "a\\nb", "a\nb"},
        {"\\r\\n written out", "a\\r\\nb", "a\r\nb"},
        {"\\x41", "\\x41\\x7a", "Az"},
        {"octal \\101", "\\101\\60", "A0"},
        {"octal takes two digits after 4-7", "\\400", " 0"},
        {"octal stops at a non-octal digit", "\\618", "18"},
        {"\\8 and \\9 are the digits", "\\8\\9", "89"},
        {"\\0 ends the text", "a\\0b", "a"},
        {"control escapes", "\\b\\f\\r\\t\\v", "\b\f\r\t\v"},
        {"escaped double quote", "\\\"q\\\"", "\"q\""},
        {"backslash before an ordinary character", "\\q\\上", "q上"},
        {"GBK text passes", "上传成功", "上传成功"},
        {"the CR LF stand-in in the answer becomes CR LF", "a{$}b", "a\r\nb"},
        {"empty answer", "", ""},
        {"text after a NUL byte is not seen", Text("ab\0cd", 5), "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeAnswer(c.answer), c.expected);
    }
}

TEST(DecodeAnswer, AnswersNoLiteralCanHoldGiveTheFallback) {
    // `handed` is what the fallback reads: the answer with \u turned into %u.
    const struct {
        const char* name;
        Text answer;
        Text handed;
    } cases[] = {
        {"a bare LF", "\\u4e0a\\u4f20\\u6210\\u529f\nok", "%u4e0a%u4f20%u6210%u529f\nok"},
        {"a bare CR inside", "\\u4e0a\\u4f20\\u6210\\u529f\rok", "%u4e0a%u4f20%u6210%u529f\rok"},
        {"a trailing backslash", "\\u4e0a\\u4f20\\u6210\\u529f\\", "%u4e0a%u4f20%u6210%u529f\\"},
        {"an escaped line break", "\\u4e0a\\u4f20\\u6210\\u529f\\\nok",
         "%u4e0a%u4f20%u6210%u529f\\\nok"},
        {"\\x without two hex digits", "\\u4e0a\\u4f20\\u6210\\u529f\\x4g",
         "%u4e0a%u4f20%u6210%u529f\\x4g"},
        {"\\x at the end", "\\u4e0a\\u4f20\\u6210\\u529f\\x", "%u4e0a%u4f20%u6210%u529f\\x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text decoded = DecodeAnswer(c.answer);
        EXPECT_EQ(decoded, Fallback(c.handed));
        EXPECT_NE(decoded, "");
        EXPECT_EQ(decoded.find("上传成功"), Text::npos);
    }
}

TEST(DecodeAnswer, AFallbackOfNothingIsNothing) {
    // A lone rejected byte reads as no UTF-16 unit at all.
    EXPECT_EQ(DecodeAnswer("\n"), "");
    EXPECT_EQ(DecodeAnswer("\\"), "");
}

TEST(DecodeAnswer, AHugeAnswerDecodesWhole) {
    Text answer, expected;
    for (int i = 0; i < 100000; ++i) {
        answer += "\\u4e0a\\u4f20%20\\n";
        expected += "上传 \n";
    }
    EXPECT_EQ(DecodeAnswer(answer), expected);
}

TEST(UnescapeQuotedLiteral, TellsRejectedLiteralsApart) {
    const struct {
        Text body;
        bool accepted;
    } cases[] = {
        {"", true},       {"plain", true},     {"a\\'b", true},    {"'", false},
        {"a'b", false},   {"\n", false},       {"\r", false},      {"\\", false},
        {"ab\\\\", true}, {"ab\\\\\\", false}, {"\\x4", false},    {"\\x41", true},
        {"\\u12", false}, {"\\u0041", true},   {"\\uzzzz", false}, {"\\\r", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("literal body '" + c.body + "'");
        Text decoded = "stale";
        EXPECT_EQ(UnescapeQuotedLiteral(c.body, decoded), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(decoded, "");
        }
    }
}

TEST(ReadBytesAsUnicode, ReadsUtf16LittleEndian) {
    const struct {
        const char* name;
        Bytes bytes;
        Text expected;
    } cases[] = {
        {"ASCII", {'o', 0, 'k', 0}, "ok"},
        {"GBK characters", {0x0A, 0x4E, 0x20, 0x4F}, "上传"},
        {"a byte order mark is skipped", {0xFF, 0xFE, 'o', 0, 'k', 0}, "ok"},
        {"an odd last byte is ignored", {'o', 0, 'k'}, "o"},
        {"the text ends at a NUL unit", {'o', 0, 0, 0, 'k', 0}, "o"},
        {"ASCII bytes pair into other characters", {'a', 'b'}, "扡"},
        {"empty", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadBytesAsUnicode(c.bytes), c.expected);
    }
}

} // namespace
