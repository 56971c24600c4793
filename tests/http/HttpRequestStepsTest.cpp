// The request engine's platform-free decisions and response reading, in both
// builds: verb table, timeouts, proxy names, object names, the body sent,
// status and Location lines, and the charset step.
#include <gtest/gtest.h>

#include "http/Charset.h"
#include "http/HttpRequest.h"
#include "http/HttpRequestSteps.h"
#include "http/HttpResponseParsing.h"
#include "regex/RegExpObject.h"

#include <climits>

namespace {

TEST(HttpVerb, MapsTheTableAndSendsGetOutsideIt) {
    const struct {
        std::int32_t method;
        const char* verb;
    } cases[] = {
        {0, "GET"},   {1, "POST"},    {2, "HEAD"}, {3, "PUT"},  {4, "OPTIONS"},   {5, "DELETE"},
        {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"},  {-1, "GET"}, {INT_MAX, "GET"}, {INT_MIN, "GET"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HttpVerb(c.method), c.verb) << "method " << c.method;
    }
}

TEST(TimeoutMilliseconds, DefaultsBelowOneSecondAndNeverOverflows) {
    const struct {
        std::int32_t seconds;
        std::int32_t milliseconds;
    } cases[] = {
        {0, 30000}, {-1, 30000},           {INT_MIN, 30000},   {1, 1000},
        {5, 5000},  {2147483, 2147483000}, {2147484, INT_MAX}, {INT_MAX, INT_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimeoutMilliseconds(c.seconds), c.milliseconds) << c.seconds << " s";
    }
}

TEST(ProxyNameFor, PrefixesOnlyPlainHttp) {
    EXPECT_EQ(ProxyNameFor("", false), "");
    EXPECT_EQ(ProxyNameFor("", true), "");
    EXPECT_EQ(ProxyNameFor("127.0.0.1:8888", false), "http=127.0.0.1:8888");
    EXPECT_EQ(ProxyNameFor("127.0.0.1:8888", true), "127.0.0.1:8888");
}

TEST(RequestObjectName, IsSlashWithoutAPathAndDropsTheQueryThen) {
    EXPECT_EQ(RequestObjectName(u"", u""), u"/");
    EXPECT_EQ(RequestObjectName(u"", u"?x=1"), u"/");
    EXPECT_EQ(RequestObjectName(u"/", u""), u"/");
    EXPECT_EQ(RequestObjectName(u"/a/b", u"?x=1"), u"/a/b?x=1");
    EXPECT_EQ(RequestObjectName(u"/a", u"#top"), u"/a#top");
}

TEST(RequestBody, PrefersBytesAndViewsTheCallersData) {
    const Bytes bytes = {'b', 0, 'y'};
    HttpRequestParams both{.url = "https://h/", .postText = "text", .postBytes = bytes};
    std::span<const unsigned char> body = RequestBody(both);
    EXPECT_EQ(body.data(), bytes.data()); // not a copy
    EXPECT_EQ(body.size(), 3u);

    HttpRequestParams text{.url = "https://h/", .postText = Text("a\0b", 3)};
    body = RequestBody(text);
    EXPECT_EQ(Bytes(body.begin(), body.end()), (Bytes{'a', 0, 'b'}));

    HttpRequestParams none{.url = "https://h/"};
    EXPECT_TRUE(RequestBody(none).empty());
}

TEST(HttpRequestParams, DefaultsAreThoseOfAnOmittedParameter) {
    const HttpRequestParams p{.url = "https://h/"};
    EXPECT_EQ(p.method, kHttpGet);
    EXPECT_EQ(p.sendCookies, nullptr);
    EXPECT_FALSE(p.noRedirect);
    EXPECT_EQ(p.timeoutSeconds, 0);
    EXPECT_TRUE(p.mergeCookies);
    EXPECT_TRUE(p.addDefaultHeaders);
    EXPECT_TRUE(p.normalizeHeaderNames);
    EXPECT_TRUE(p.postBytes.empty());
}

TEST(HttpErrorTexts, AreTheSystemsOwn) {
    const struct {
        const char* actual;
        const char* expected;
    } cases[] = {
        {kHttpPlatformError, "700 当前系统不支持WinHttp服务!"},
        {kHttpUrlError, "701 解析URL地址失败!"},
        {kHttpSessionError, "702 创建WinHttp会话失败!"},
        {kHttpConnectionError, "703 创建WinHttp连接失败!"},
        {kHttpRequestError, "704 创建WinHttp请求失败!"},
        {kHttpTimeoutError, "705 设置超时时间失败!"},
        {kHttpCredentialsError, "707 设置代理凭证失败!"},
        {kHttpCookieOptionError, "708 禁止自动设置Cookies失败!"},
        {kHttpRedirectOptionError, "709 重定向设置失败!"},
        {kHttpHeadersError, "710 设置协议头失败!"},
        {kHttpSendError, "711 发送请求失败!"},
        {kHttpNoResponseError, "712 服务器未响应!"},
        {kHttpReadError, "713 读取数据失败!"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.actual, c.expected);
    }
    // Two blanks before 失败 and a full-width exclamation mark (GBK A3 A1).
    EXPECT_EQ(Text(kHttpSecurityFlagsError), "忽略错误/证书错误  失败\xA3\xA1");
}

TEST(StatusFromHeaderText, TakesTheStatusLineFromItsTenthCharacter) {
    const struct {
        Text headers;
        Text status;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n", "200 OK"},
        {"HTTP/1.1 404 Not Found\r\n\r\n", "404 Not Found"},
        {"HTTP/1.0 302 Found\r\nLocation: /x\r\n", "302 Found"},
        {"HTTP/1.1 200\r\n", "200"},
        {"HTTP/1.1 \r\n", ""},            // the CR LF starts at the 10th character
        {"HTTP/1.1\r\nX: 1\r\n", "\nX: 1"}, // the first CR LF lies before it
        {"HTTP/1.1 200 OK", ""},          // no CR LF at all
        {"HTTP/1.1 200 OK\n", ""},        // LF alone ends nothing
        {"HTTP/1.1 ", ""},
        {"short", ""},
        {"", ""},
        {"HTTP/1.1 200 \xB3\xC9\xB9\xA6\r\n", "200 成功"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusFromHeaderText(c.headers), c.status) << c.headers;
    }
}

TEST(TakeLocationLine, NeedsTheBlankAndIgnoresLetterCase) {
    const struct {
        Text line;
        bool taken;
        Text location;
    } cases[] = {
        {"Location: /b", true, "/b"},
        {"location: /a", true, "/a"},
        {"LOCATION: https://h/x?y=1", true, "https://h/x?y=1"},
        {"Location: ", true, ""},
        {"Location:/x", false, "before"},
        {"Location :/x", false, "before"},
        {"Content-Location: /c", false, "before"},
        {"Locatio", false, "before"},
        {"", false, "before"},
    };
    for (const auto& c : cases) {
        Text location = "before";
        EXPECT_EQ(TakeLocationLine(c.line, location), c.taken) << c.line;
        EXPECT_EQ(location, c.location) << c.line;
    }
}

TEST(HeaderLinesOf, SplitsAtCrLfOnly) {
    EXPECT_EQ(HeaderLinesOf("HTTP/1.1 200 OK\r\nA: 1\r\nB: 2\r\n\r\n"),
              (TextArray{"HTTP/1.1 200 OK", "A: 1", "B: 2", ""}));
    EXPECT_EQ(HeaderLinesOf("HTTP/1.1 200 OK\nA: 1"), (TextArray{"HTTP/1.1 200 OK\nA: 1"}));
    EXPECT_EQ(HeaderLinesOf(""), TextArray{});
}

TEST(CharsetNeedsConversion, ExemptsOnlyLowerCaseGbkAndGb2312) {
    EXPECT_FALSE(CharsetNeedsConversion(""));
    EXPECT_FALSE(CharsetNeedsConversion("gbk"));
    EXPECT_FALSE(CharsetNeedsConversion("gb2312"));
    EXPECT_TRUE(CharsetNeedsConversion("GBK"));
    EXPECT_TRUE(CharsetNeedsConversion("GB2312"));
    EXPECT_TRUE(CharsetNeedsConversion("utf-8"));
    EXPECT_TRUE(CharsetNeedsConversion("no-such-charset"));
}

TEST(FindDeclaredCharset, ReadsTheMetaTagOfRealPageHeads) {
    const Text padding(1000 - 6, ' ');
    const struct {
        Text body;
        Text charset;
    } cases[] = {
        {"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=gb2312\" /></head>",
         "gb2312"},
        {"<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
         "CHARSET=UTF-8\"></HEAD>",
         "UTF-8"},
        {"<head><meta charset=\"utf-8\"></head>", "utf-8"},
        {"<head><meta charset='GBK'></head>", "GBK"},
        {"<head><meta charset=big5></head>", "big5"},
        {"<head><title>none</title></head><body>charset=utf-8</body>", ""},
        {"", ""},
        // Seen within the first 1024 bytes, and only there.
        {"<head>" + padding + "<meta charset=\"utf-8\">", "utf-8"},
        {"<head>" + padding + padding + "<meta charset=\"utf-8\">", ""},
        {"<head>" + Text(1018, ' ') + "<meta charset=\"utf-8\">", ""}, // starts at byte 1024
    };
    for (const auto& c : cases) {
        RegExpObject search;
        Text charset = "before";
        EXPECT_TRUE(FindDeclaredCharset(search, c.body, charset)) << c.body;
        EXPECT_EQ(charset, c.charset) << c.body;
    }
}

TEST(FindDeclaredCharset, CutsADeclarationThatCrossesByte1024) {
    // The name is cut with the subject: "utf-8" straddling the limit reads "ut".
    const Text head = "<head>" + Text(1024 - 6 - 17, ' ') + "<meta charset=\"ut" + "f-8\">";
    ASSERT_EQ(head.find("f-8"), 1024u);
    RegExpObject search;
    Text charset;
    EXPECT_TRUE(FindDeclaredCharset(search, head, charset));
    EXPECT_EQ(charset, "ut");
    EXPECT_EQ(CodePageOfCharset(charset), 0u);
}

TEST(CodePageOfCharset, KnowsCommonNamesInAnyCase) {
    EXPECT_EQ(CodePageOfCharset("utf-8"), 65001u);
    EXPECT_EQ(CodePageOfCharset("UTF-8"), 65001u);
    EXPECT_EQ(CodePageOfCharset("GBK"), 936u);
    EXPECT_EQ(CodePageOfCharset("gb2312"), 936u);
    EXPECT_EQ(CodePageOfCharset("Big5"), 950u);
    EXPECT_EQ(CodePageOfCharset("unicode"), 1200u);
    EXPECT_EQ(CodePageOfCharset("ISO-8859-1"), 28591u);
    EXPECT_EQ(CodePageOfCharset("utf"), 0u);
    EXPECT_EQ(CodePageOfCharset("x-user-defined"), 0u);
    EXPECT_EQ(CodePageOfCharset(""), 0u);
}

TEST(ReadBytesInCharset, ConvertsToGbkText) {
    const struct {
        const char* charset;
        Bytes bytes;
        std::optional<Text> text;
    } cases[] = {
        // 中文 in UTF-8 becomes its GBK bytes D6 D0 CE C4.
        {"utf-8", {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87}, Text("中文")},
        {"UTF-8", {'a', 'b'}, Text("ab")},
        {"GBK", {0xD6, 0xD0, 0xCE, 0xC4}, Text("中文")},
        {"unicode", {0x2D, 0x4E, 0x87, 0x65}, Text("中文")},
        {"unicode", {0x61, 0x00, 0x62}, Text("a")}, // an odd last byte is dropped
        {"big5", {0xA4, 0xA4, 0xA4, 0xE5}, Text("中文")},
        {"iso-8859-1", {'c', 'a', 'f', 0xE9}, Text("caf\xA8\xA6")},
        {"unicode", {0x01, 0x0E, '!', 0}, Text("?!")}, // Thai ko kai has no GBK form
        // The text ends at its first NUL character.
        {"utf-8", {'a', 0, 'b'}, Text("a")},
        {"utf-8", {0, 'b'}, Text()},
        {"utf-8", {}, Text()},
        // Unknown names keep the body unconverted.
        {"x-unknown", {'a'}, std::nullopt},
        {"", {'a'}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadBytesInCharset(c.bytes, c.charset), c.text) << c.charset;
    }
}

} // namespace
