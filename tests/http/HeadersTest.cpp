// The request header block: which default lines are added and where, how
// names are rewritten, the keep-alive removal and the forms of the Cookie line.
#include <gtest/gtest.h>

#include "http/Headers.h"

namespace {

const Text kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const Text kAccept = "Accept: text/html, application/xhtml+xml, */*";
const Text kEncoding = "Accept-Encoding: gbk, GB2312";
const Text kLanguage = "Accept-Language: zh-cn";
const Text kFormType = "Content-Type: application/x-www-form-urlencoded";
const Text kNoCache = "Cache-Control: no-cache";
const Text CRLF = "\r\n";

enum Verb { kGet = 0, kPost = 1, kHead = 2, kPut = 3 };

TEST(ComposeHeaders, AddsTheMissingDefaultLinesInTableOrder) {
    const struct {
        const char* extra;
        int method;
        Text expected;
    } cases[] = {
        {"", kGet,
         kUserAgent + CRLF + kAccept + CRLF + kEncoding + CRLF + kLanguage + CRLF + kNoCache},
        {"", kPost,
         kUserAgent + CRLF + kAccept + CRLF + kEncoding + CRLF + kLanguage + CRLF + kFormType +
             CRLF + kNoCache},
        // Only POST gets the form type.
        {"", kHead,
         kUserAgent + CRLF + kAccept + CRLF + kEncoding + CRLF + kLanguage + CRLF + kNoCache},
        {"", kPut,
         kUserAgent + CRLF + kAccept + CRLF + kEncoding + CRLF + kLanguage + CRLF + kNoCache},
        // The probe ignores case, and the caller's line is capitalised.
        {"user-agent: X", kGet,
         "User-Agent: X" + CRLF + kAccept + CRLF + kEncoding + CRLF + kLanguage + CRLF + kNoCache},
        // Without the space the probe is not found, so both lines go out.
        {"User-Agent:X", kGet,
         "User-Agent:X" + CRLF + kUserAgent + CRLF + kAccept + CRLF + kEncoding + CRLF + kLanguage +
             CRLF + kNoCache},
        // "Accept: " stands inside the caller's line.
        {"X-Accept: y", kGet,
         "X-Accept: y" + CRLF + kUserAgent + CRLF + kEncoding + CRLF + kLanguage + CRLF + kNoCache},
        // The form-type probe needs no space after the colon.
        {"content-type:text/plain", kPost,
         "Content-Type:text/plain" + CRLF + kUserAgent + CRLF + kAccept + CRLF + kEncoding + CRLF +
             kLanguage + CRLF + kNoCache},
        {"Referer: https://h/\r\nCache-Control: max-age=0", kPost,
         "Referer: https://h/" + CRLF + "Cache-Control: max-age=0" + CRLF + kUserAgent + CRLF +
             kAccept + CRLF + kEncoding + CRLF + kLanguage + CRLF + kFormType},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.extra << "' method " << c.method);
        EXPECT_EQ(ComposeHeaders(c.extra, "", c.method), c.expected);
    }
}

TEST(ComposeHeaders, NormalisingDecidesLineEndsAndColonLessLines) {
    const struct {
        const char* extra;
        const char* cookies;
        bool normalize;
        const char* expected;
    } cases[] = {
        {"junk\r\n\r\nA: b", "", true, "A: b"},
        {"junk\r\n\r\nA: b", "", false, "junk\r\n\r\nA: b\r\n"},
        // The caller's final CR LF is followed by one more.
        {"a: b\r\n", "", false, "a: b\r\n\r\n"},
        {"a: b\r\n", "", true, "A: b"},
        {"", "", true, ""},
        {"", "", false, ""},
        // The Cookie line brings its own CR LF pairs.
        {"A: b", "a=1; b=2", true, "A: b\r\nCookie: a=1; b=2\r\n"},
        {"A: b", "a=1; b=2", false, "A: b\r\n\r\nCookie: a=1; b=2\r\n"},
        {"", "a=1", true, "\r\nCookie: a=1\r\n"},
        // Cookie text that is already a Cookie line goes out unchanged.
        {"A: b", "cookie: a=1", true, "A: b\r\ncookie: a=1\r\n"},
        // Any line holding "cookie:" in any case keeps the cookie text out.
        {"Set-Cookie: z=9", "a=1", true, "Set-Cookie: z=9"},
        {"COOKIE: z=9", "a=1", true, "COOKIE: z=9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "'" << c.extra << "' '" << c.cookies << "' " << c.normalize);
        EXPECT_EQ(ComposeHeaders(c.extra, c.cookies, kGet, false, c.normalize), c.expected);
    }
}

TEST(ComposeHeaders, DropsKeepAliveOnlyWhenALineBreakFollowsIt) {
    const struct {
        const char* extra;
        bool normalize;
        const char* expected;
    } cases[] = {
        {"Connection: keep-alive\r\nX: y", true, "X: y"},
        {"Connection: close\r\nX: y", true, "Connection: close\r\nX: y"},
        {"X: y\r\nConnection: keep-alive", true, "X: y\r\nConnection: keep-alive"},
        {"Connection: keep-alive", false, ""},
        // The name is capitalised before the search...
        {"connection: keep-alive\r\nX: y", true, "X: y"},
        // ... which is exact when normalising is off.
        {"connection: keep-alive\r\nX: y", false, "connection: keep-alive\r\nX: y\r\n"},
        // Only the first line that begins with the name decides.
        {"Connections: x\r\nConnection: keep-alive\r\nA: b", true,
         "Connections: x\r\nConnection: keep-alive\r\nA: b"},
        {"Connection: Keep-Alive\r\nX: y", true, "Connection: Keep-Alive\r\nX: y"},
        // Every occurrence goes.
        {"Connection: keep-alive\r\nX: y\r\nConnection: keep-alive\r\nZ: w", true, "X: y\r\nZ: w"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.extra << "' " << c.normalize);
        EXPECT_EQ(ComposeHeaders(c.extra, "", kGet, false, c.normalize), c.expected);
    }
    // With the default lines after it, the keep-alive line has its CR LF.
    EXPECT_EQ(ComposeHeaders("Connection: keep-alive", "", kGet),
              kUserAgent + CRLF + kAccept + CRLF + kEncoding + CRLF + kLanguage + CRLF + kNoCache);
}

TEST(NormalizeHeaderLines, CapitalisesEveryWordOfTheNameAndKeepsTheRest) {
    const struct {
        const char* headers;
        const char* expected;
    } cases[] = {
        {"x-requested-with: a", "X-Requested-With: a"},
        {" accept: a", " accept: a"},
        {"a--b: c", "A--B: c"},
        {"a-: c", "A-: c"},
        {"-a: c", "-A: c"},
        {"--: c", "--: c"},
        {"content-TYPE: x", "Content-TYPE: x"},
        {"Host: h:80", "Host: h:80"},
        {"host:h:80", "Host:h:80"},
        {": empty name", ": empty name"},
        {"a:", "A:"},
        {"\xD6\xD0" "a-b: \xCE\xC4", "\xD6\xD0" "a-B: \xCE\xC4"},
        {"a: b\r\nno colon\r\n\r\nc-d: e\r\n", "A: b\r\nC-D: e"},
        {"\r\n\r\n", ""},
        {"", ""},
        // A CR LF inside the value is a line break like any other.
        {"a: b\r\n c", "A: b"},
        // A bare LF does not end a line.
        {"a: b\nc: d", "A: b\nc: d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.headers << "'");
        EXPECT_EQ(NormalizeHeaderLines(c.headers), c.expected);
    }
}

TEST(CapitalizeFirst, UpperCasesOnlyAnAsciiFirstLetter) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", ""},     {"a", "A"},   {"abc", "Abc"}, {"aBC", "ABC"},           {"Abc", "Abc"},
        {"1a", "1a"}, {" a", " a"}, {"{a", "{a"},   {"\xE0\x61", "\xE0\x61"}, {"`a", "`a"},
        {"za", "Za"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        EXPECT_EQ(CapitalizeFirst(c.text), c.expected);
    }
}

TEST(HeaderValue, ReadsTheFirstLineThatBeginsWithTheName) {
    const struct {
        const char* headers;
        const char* name;
        const char* expected;
    } cases[] = {
        {"Connection: keep-alive", "Connection", "keep-alive"},
        {"Connection:keep-alive", "Connection", ""},
        {"A: 1\r\nConnection: close\r\nConnection: x", "Connection", "close"},
        {"connection: close", "Connection", ""},
        {"Connections: x\r\nConnection: y", "Connection", ""},
        {"Connection: a Connection: b", "Connection", "b"},
        {"Connection: ", "Connection", ""},
        {"Location: /a: b", "Location", "/a: b"},
        {"A: 1", "Connection", ""},
        {"", "Connection", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.headers << "' " << c.name);
        EXPECT_EQ(HeaderValue(c.headers, c.name), c.expected);
    }
}

TEST(DefaultHeaders, EveryLineEndsWithItsLineBreakAndStartsWithItsName) {
    for (const DefaultHeader& entry : DefaultHeaders) {
        const Text line = entry.line;
        const Text probe = entry.probe;
        SCOPED_TRACE(line);
        EXPECT_EQ(line.compare(0, probe.size(), probe), 0);
        EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    }
}

} // namespace
