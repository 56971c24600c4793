// HttpRequest through the real WinHttp under Wine, against the stand-in
// service over HTTPS on 127.0.0.1: what the server received, what the
// answer gives back, and how the call ends when the server misbehaves.
#include <gtest/gtest.h>

#include "StandInClient.h"
#include "http/HttpRequest.h"
#include "http/HttpResponseParsing.h"
#include "http/TextBetween.h"
#include "text/TextRules.h"

// Without the common dialogs, whose FindText macro would hide the text rule.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

namespace {

class HttpRequestTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(StandInPort(), 0)
            << "the stand-in service is not running (STANDIN_STATE=" << StandInStateDir() << ")";
    }
};

// The head of a recorded request: request line and header lines.
Text HeadOf(const Text& request) {
    return request.substr(0, request.find("\r\n\r\n") + 2);
}

Text BodyOf(const Text& request) {
    const std::size_t end = request.find("\r\n\r\n");
    return end == Text::npos ? Text() : request.substr(end + 4);
}

Text RequestLineOf(const Text& request) {
    return request.substr(0, request.find("\r\n"));
}

bool HasHeaderLine(const Text& request, const Text& line) {
    return FindText(HeadOf(request), "\r\n" + line + "\r\n") > 0;
}

TEST_F(HttpRequestTest, GetSendsTheDefaultHeaderSetAndReadsTheAnswer) {
    const Text tag = UniqueTag("get");
    Text status, headers;
    Bytes body;
    const Text result = HttpRequest({.url = StandInUrl("/echo?t=" + tag),
                                     .returnedHeaders = &headers,
                                     .status = &status,
                                     .bodyBytes = &body});
    EXPECT_EQ(result, "ok");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(body, BytesOf("ok"));
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << headers;
    EXPECT_NE(headers.find("\r\nContent-Length: 2\r\n"), Text::npos) << headers;

    const Text request = RecordedRequest(tag);
    EXPECT_EQ(RequestLineOf(request), "GET /echo?t=" + tag + " HTTP/1.1");
    for (const char* line :
         {"Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
          "Accept-Language: zh-cn", "Cache-Control: no-cache"}) {
        EXPECT_TRUE(HasHeaderLine(request, line)) << line << "\n" << request;
    }
    EXPECT_NE(FindText(request, "\r\nUser-Agent: Mozilla/"), -1) << request;
    // The form content type is a POST's alone, and no cookie was given.
    EXPECT_EQ(FindText(request, "Content-Type:", 1, true), -1) << request;
    EXPECT_EQ(FindText(request, "\r\nCookie:", 1, true), -1) << request;
    EXPECT_EQ(BodyOf(request), "");
}

TEST_F(HttpRequestTest, PostsTextAndBytesBodiesAsGiven) {
    const Bytes bytes = {'b', 0, 0xFF, '\r', '\n', 'z'};
    const struct {
        const char* name;
        Text postText;
        Bytes postBytes;
        std::int32_t method;
        Text sent;
    } cases[] = {
        {"text", "a=1&b=中文", {}, kHttpPost, "a=1&b=中文"},
        {"bytes", "", bytes, kHttpPost, Text(bytes.begin(), bytes.end())},
        {"bytes-win", "ignored", bytes, kHttpPost, Text(bytes.begin(), bytes.end())},
        {"empty", "", {}, kHttpPost, ""},
        {"get-with-body", "on a GET too", {}, kHttpGet, "on a GET too"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Text tag = UniqueTag(c.name);
        Text status;
        HttpRequest({.url = StandInUrl("/echo?t=" + tag),
                     .method = c.method,
                     .postText = c.postText,
                     .status = &status,
                     .postBytes = c.postBytes});
        EXPECT_EQ(status, "200 OK");
        const Text request = RecordedRequest(tag);
        EXPECT_EQ(BodyOf(request), c.sent);
        EXPECT_TRUE(HasHeaderLine(request, "Content-Length: " + std::to_string(c.sent.size())))
            << request;
        if (c.method == kHttpPost) {
            EXPECT_TRUE(HasHeaderLine(request, "Content-Type: application/x-www-form-urlencoded"))
                << request;
        }
    }
}

TEST_F(HttpRequestTest, SendsTheVerbOfTheTable) {
    const struct {
        std::int32_t method;
        const char* verb;
    } cases[] = {
        {kHttpPost, "POST"},
        {kHttpPut, "PUT"},
        {kHttpDelete, "DELETE"},
        {kHttpOptions, "OPTIONS"},
        {kHttpHead, "HEAD"},
        {8, "GET"},
        {-1, "GET"},
    };
    for (const auto& c : cases) {
        const Text tag = UniqueTag("verb");
        Text status;
        HttpRequest({.url = StandInUrl("/echo?t=" + tag), .method = c.method, .status = &status});
        EXPECT_EQ(status, "200 OK") << c.verb;
        EXPECT_EQ(RequestLineOf(RecordedRequest(tag)),
                  Text(c.verb) + " /echo?t=" + tag + " HTTP/1.1");
    }
}

TEST_F(HttpRequestTest, HeaderNamesAreNormalisedUnlessTurnedOff) {
    const Text tag = UniqueTag("names");
    HttpRequest({.url = StandInUrl("/echo?t=" + tag), .extraHeaders = "x-custom-thing: v1"});
    EXPECT_TRUE(HasHeaderLine(RecordedRequest(tag), "X-Custom-Thing: v1")) << RecordedRequest(tag);

    const Text plain = UniqueTag("plain");
    HttpRequest({.url = StandInUrl("/echo?t=" + plain),
                 .extraHeaders = "x-custom-thing: v2",
                 .addDefaultHeaders = false,
                 .normalizeHeaderNames = false});
    const Text request = RecordedRequest(plain);
    EXPECT_NE(FindText(request, "\r\nx-custom-thing: v2\r\n", 1, true), -1) << request;
    EXPECT_EQ(FindText(request, "\r\nAccept-Language:"), -1) << request;
}

TEST_F(HttpRequestTest, SendsTheCookieLine) {
    const Text tag = UniqueTag("cookie");
    Text cookies = "sid=abc; lang=zh";
    HttpRequest({.url = StandInUrl("/echo?t=" + tag), .sendCookies = &cookies});
    EXPECT_TRUE(HasHeaderLine(RecordedRequest(tag), "Cookie: sid=abc; lang=zh"))
        << RecordedRequest(tag);
}

TEST_F(HttpRequestTest, RequestsTheObjectNameOfTheUrl) {
    const Text port = std::to_string(StandInPort());
    const Text tag = UniqueTag("path");
    const struct {
        Text url;
        Text requestLine;
    } cases[] = {
        {"https://127.0.0.1:" + port + "/a/b?t=" + tag, "GET /a/b?t=" + tag + " HTTP/1.1"},
        {"HTTPS://127.0.0.1:" + port + "/a/b?t=" + tag + "&x=1",
         "GET /a/b?t=" + tag + "&x=1 HTTP/1.1"},
    };
    for (const auto& c : cases) {
        HttpRequest({.url = c.url});
        EXPECT_EQ(
            RequestLineOf(RecordedRequest(c.requestLine.substr(4, c.requestLine.size() - 13))),
            c.requestLine);
    }
}

TEST_F(HttpRequestTest, AUrlWithoutAPathAsksForTheRootAndDropsTheQuery) {
    const Text port = std::to_string(StandInPort());
    for (const Text& url : {"https://127.0.0.1:" + port, "https://127.0.0.1:" + port + "?q=1"}) {
        SCOPED_TRACE(url);
        Text status, headers;
        HttpRequest({.url = url, .returnedHeaders = &headers, .status = &status});
        // The root is not one of the service's pages; what matters is that
        // "/" was asked for and no query went with it.
        EXPECT_EQ(status, "404 Not Found");
        EXPECT_NE(headers.find("HTTP/1.1 404"), Text::npos);
    }
    const int roots = RecordedRequestCount("GET / HTTP/1.1");
    EXPECT_GE(roots, 2);
    EXPECT_EQ(RecordedRequestCount("GET /?q=1"), 0);
}

TEST_F(HttpRequestTest, StatusIsTheTextOfTheStatusLine) {
    const struct {
        Text path;
        Text status;
        Text body;
    } cases[] = {
        {"/status/200", "200 OK", "status 200"},
        {"/status/404", "404 Not Found", "status 404"},
        {"/status/500", "500 Internal Server Error", "status 500"},
        {"/status/503", "503 Service Unavailable", "status 503"},
    };
    for (const auto& c : cases) {
        Text status;
        const Text result = HttpRequest({.url = StandInUrl(c.path), .status = &status});
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(result, c.body);
    }
}

TEST_F(HttpRequestTest, AnEmptyBodyStillGivesHeadersAndStatus) {
    const struct {
        const char* name;
        Text path;
        std::int32_t method;
        Text status;
    } cases[] = {
        {"204", "/answer?status=204%20No%20Content", kHttpGet, "204 No Content"},
        {"zero-length", "/answer?status=200%20OK", kHttpGet, "200 OK"},
        {"head", "/echo", kHttpHead, "200 OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text status, headers;
        Bytes body = {'x'};
        const Text result = HttpRequest({.url = StandInUrl(c.path),
                                         .method = c.method,
                                         .returnedHeaders = &headers,
                                         .status = &status,
                                         .bodyBytes = &body});
        EXPECT_EQ(result, "");
        EXPECT_TRUE(body.empty());
        EXPECT_EQ(status, c.status);
        EXPECT_FALSE(headers.empty());
    }
}

TEST_F(HttpRequestTest, ABodyWithANulIsCutOnlyInTheText) {
    Bytes body;
    const Text result =
        HttpRequest({.url = StandInUrl("/answer?bodyhex=61620063640065"), .bodyBytes = &body});
    EXPECT_EQ(body, (Bytes{'a', 'b', 0, 'c', 'd', 0, 'e'}));
    EXPECT_EQ(result, "ab");
}

TEST_F(HttpRequestTest, CollectsAndMergesCookiesAcrossTwoRequests) {
    // The first answer sets two cookies; nothing is sent, so nothing merges.
    Text collected;
    HttpRequest({.url = StandInUrl("/answer?h=Set-Cookie:%20sid=1;%20path=/"
                                   "&h=Set-Cookie:%20user=alice;%20expires=Fri,%2011-Dec-2037"),
                 .returnedCookies = &collected});
    EXPECT_EQ(collected, "sid=1; user=alice");

    // The second sends them; its answer replaces sid and adds theme.
    Text session = collected;
    Text returned;
    const Text tag = UniqueTag("merge");
    HttpRequest({.url = StandInUrl("/answer?t=" + tag +
                                   "&h=Set-Cookie:%20sid=2;%20path=/&h=Set-Cookie:%20theme=dark"),
                 .sendCookies = &session,
                 .returnedCookies = &returned});
    EXPECT_TRUE(HasHeaderLine(RecordedRequest(tag), "Cookie: sid=1; user=alice"))
        << RecordedRequest(tag);
    EXPECT_NE(returned.find("sid=2"), Text::npos) << returned;
    EXPECT_EQ(returned.find("sid=1"), Text::npos) << returned;
    EXPECT_NE(returned.find("user=alice"), Text::npos) << returned;
    EXPECT_NE(returned.find("theme=dark"), Text::npos) << returned;
    EXPECT_EQ(session, returned);

    // Without the merge only the answer's own cookies come back, appended.
    Text kept = "sid=1";
    Text appended = "old=1";
    HttpRequest({.url = StandInUrl("/answer?h=Set-Cookie:%20sid=3"),
                 .sendCookies = &kept,
                 .returnedCookies = &appended,
                 .mergeCookies = false});
    EXPECT_EQ(kept, "sid=1");
    // Appended to what the caller held (how the two join is the cookie
    // text's own rule).
    EXPECT_EQ(appended.rfind("old=1", 0), 0u) << appended;
    EXPECT_EQ(appended.substr(appended.size() - 5), "sid=3") << appended;
}

TEST_F(HttpRequestTest, NoRedirectGivesTheRedirectAnswerAndItsTarget) {
    const Text tag = UniqueTag("target");
    Text status, location = "unset";
    const Text result = HttpRequest({.url = StandInUrl("/redirect?to=/echo%3Ft%3D" + tag),
                                     .noRedirect = true,
                                     .location = &location,
                                     .status = &status});
    EXPECT_EQ(status, "302 Found");
    EXPECT_EQ(location, "/echo?t=" + tag);
    EXPECT_EQ(result, "redirect body");
    EXPECT_EQ(RecordedRequestCount("GET /echo?t=" + tag), 0);
}

TEST_F(HttpRequestTest, RedirectsAreFollowedByThePlatformOtherwise) {
    const Text tag = UniqueTag("followed");
    Text status, location = "unset", cookies;
    const Text result =
        HttpRequest({.url = StandInUrl("/redirect?to=/answer%3Ft%3D" + tag +
                                       "%26body%3Dfinal%26h%3DSet-Cookie:%2520last%3D1"),
                     .returnedCookies = &cookies,
                     .location = &location,
                     .status = &status});
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(result, "final");
    EXPECT_EQ(location, "unset"); // the final answer has no Location line
    EXPECT_EQ(cookies, "last=1");
    EXPECT_EQ(RecordedRequestCount("GET /answer?t=" + tag), 1);
}

TEST_F(HttpRequestTest, TheLastLocationLineWins) {
    Text location;
    HttpRequest({.url = StandInUrl("/answer?status=302%20Found&h=location:%20/a&h=Location:%20/b"),
                 .noRedirect = true,
                 .location = &location});
    EXPECT_EQ(location, "/b");
}

TEST_F(HttpRequestTest, ConvertsFromTheDeclaredCharset) {
    const Text utf8 = "\xE4\xB8\xAD\xE6\x96\x87\xE9\xA1\xB5\xE9\x9D\xA2"; // 中文页面 in UTF-8
    const Text gbk = "中文页面";
    const struct {
        const char* name;
        Text query;
        Text visible; // what the result holds where the page's text stands
    } cases[] = {
        {"utf-8", "charset=utf-8&enc=utf-8", gbk},
        {"upper-case meta", "charset=UTF-8&enc=utf-8&meta=META", gbk},
        {"single quotes", "charset=utf-8&enc=utf-8&quote=single", gbk},
        {"http-equiv form", "charset=utf-8&enc=utf-8&quote=none", gbk},
        {"near the limit", "charset=utf-8&enc=utf-8&at=1000", gbk},
        {"beyond 1024 bytes", "charset=utf-8&enc=utf-8&at=1100", utf8},
        {"gb2312 not converted", "charset=gb2312&enc=utf-8", utf8},
        {"gbk not converted", "charset=gbk&enc=utf-8", utf8},
        {"unknown charset", "charset=x-no-such-thing&enc=utf-8", utf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes body;
        const Text result =
            HttpRequest({.url = StandInUrl("/page?" + c.query), .bodyBytes = &body});
        EXPECT_NE(result.find("<body>" + c.visible + "</body>"), Text::npos) << result;
        EXPECT_NE(TextFromBytes(body).find("</body>"), Text::npos);
    }
}

TEST_F(HttpRequestTest, UpperCaseGbkGoesThroughTheConversion) {
    // A lead byte with no valid trail byte shows whether the bytes were
    // converted: "gbk" keeps them, "GBK" turns them into a replacement.
    const Text raw = "\x81\x20";
    Text lower = HttpRequest(
        {.url = StandInUrl("/answer?bodyhex=" + Text("3c6d65746120636861727365743d67626b3e") +
                           "8120")});
    Text upper = HttpRequest(
        {.url = StandInUrl("/answer?bodyhex=" + Text("3c6d65746120636861727365743d47424b3e") +
                           "8120")});
    EXPECT_EQ(lower, "<meta charset=gbk>" + raw);
    EXPECT_EQ(upper.substr(0, 18), "<meta charset=GBK>");
    EXPECT_NE(upper.substr(18), raw);
}

TEST_F(HttpRequestTest, UrlsThatCannotBeCrackedFailWith701) {
    for (const Text& url :
         {Text(), Text("ftp://127.0.0.1/x"), Text("not a url"), Text("127.0.0.1/echo")}) {
        SCOPED_TRACE(url);
        Text status = "before", headers = "kept";
        const Text result =
            HttpRequest({.url = url, .returnedHeaders = &headers, .status = &status});
        EXPECT_EQ(status, "701 解析URL地址失败!");
        EXPECT_EQ(result, "");
        EXPECT_EQ(headers, "kept");
    }
}

TEST_F(HttpRequestTest, AServerThatIsNotListeningFailsTheSend) {
    Text status, headers = "kept", cookies = "kept";
    const Text result =
        HttpRequest({.url = "https://127.0.0.1:" + std::to_string(StandInRefusedPort()) + "/",
                     .returnedCookies = &cookies,
                     .returnedHeaders = &headers,
                     .timeoutSeconds = 5,
                     .status = &status});
    EXPECT_EQ(status, "711 发送请求失败!");
    EXPECT_EQ(result, "");
    EXPECT_EQ(headers, "kept");
    EXPECT_EQ(cookies, "kept");
}

TEST_F(HttpRequestTest, AServerThatSaysNothingFailsTheReceive) {
    const struct {
        const char* name;
        Text path;
    } cases[] = {
        {"closes at once", "/close"},
        {"stalls past the timeout", "/stall?seconds=4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text status, location = "kept";
        Bytes body = {'k'};
        const ULONGLONG start = GetTickCount64();
        const Text result = HttpRequest({.url = StandInUrl(c.path),
                                         .timeoutSeconds = 1,
                                         .location = &location,
                                         .status = &status,
                                         .bodyBytes = &body});
        const ULONGLONG seconds = (GetTickCount64() - start) / 1000;
        std::printf("%s: %u s\n", c.name, static_cast<unsigned>(seconds));
        EXPECT_EQ(status, "712 服务器未响应!");
        EXPECT_EQ(result, "");
        EXPECT_EQ(location, "kept");
        EXPECT_EQ(body, Bytes{'k'});
        // Wine's WinHttp ends this wait only when the server closes, not at
        // the receive timeout; the wait is bounded by the stall itself.
        EXPECT_LT(seconds, 30u);
    }
}

TEST_F(HttpRequestTest, AResetInTheMiddleOfTheBodyKeepsThePartReadAndSaysSo) {
    Text status, headers;
    Bytes body;
    const Text result = HttpRequest({.url = StandInUrl("/reset?after=5000"),
                                     .returnedHeaders = &headers,
                                     .status = &status,
                                     .bodyBytes = &body});
    EXPECT_EQ(status, "713 读取数据失败!");
    EXPECT_NE(headers.find("200 OK"), Text::npos);
    EXPECT_LE(body.size(), 5000u);
    EXPECT_EQ(result, Text(body.begin(), body.end()));
}

TEST_F(HttpRequestTest, MalformedAnswersEndAsThePlatformReadsThem) {
    const struct {
        const char* name;
        Text path;
        Text status;
        Text location;
        std::size_t bodySize;
    } cases[] = {
        {"no status line", "/raw?hex=68656c6c6f20776f726c640d0a", "712 服务器未响应!", "kept", 1},
        {"nothing at all", "/raw?hex=", "712 服务器未响应!", "kept", 1},
        // Lines ending in LF alone are taken as lines.
        {"lines without CR LF",
         "/raw?hex=485454502f312e3120323030204f4b0a5365742d436f6f6b69653a20613d310a0a626f6479",
         "200 OK", "kept", 4},
        // The platform drops a last line that never ends.
        {"location last without CR LF",
         "/raw?hex=485454502f312e312033303220466f756e640d0a4c6f636174696f6e3a202f78", "302 Found",
         "kept", 0},
        {"thousands of cookies", "/cookies?n=3000", "200 OK", "kept", 7},
        {"half a megabyte of headers", "/bigheaders?kb=512", "200 OK", "kept", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text status, headers, cookies, location = "kept";
        Bytes body = {'k'};
        const Text result = HttpRequest({.url = StandInUrl(c.path),
                                         .returnedCookies = &cookies,
                                         .returnedHeaders = &headers,
                                         .noRedirect = true,
                                         .timeoutSeconds = 5,
                                         .location = &location,
                                         .status = &status,
                                         .bodyBytes = &body});
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(location, c.location);
        EXPECT_EQ(body.size(), c.bodySize);
        if (status.rfind("71", 0) == 0) {
            EXPECT_EQ(result, "");
            EXPECT_EQ(headers, "");
        } else {
            EXPECT_EQ(status, StatusFromHeaderText(headers));
        }
    }
}

TEST_F(HttpRequestTest, CollectsThousandsOfCookies) {
    Text cookies;
    HttpRequest({.url = StandInUrl("/cookies?n=3000"), .returnedCookies = &cookies});
    const TextArray items = SplitText(cookies, "; ");
    ASSERT_EQ(items.size(), 3000u);
    EXPECT_EQ(items.front(), "c1=v1");
    EXPECT_EQ(items.back(), "c3000=v3000");
}

// The stand-in service's account and upload endpoints, spoken through the
// engine the way the program does: page, token, login form, upload.
TEST_F(HttpRequestTest, TheStandInSpeaksTheServicesLoginAndUpload) {
    const Text page = HttpRequest({.url = StandInUrl("/account.php?action=login&ref=/mydisk.php")});
    const Text token = TextBetween(page, "formhash\" value=\"", "\" />");
    EXPECT_EQ(token, "5a1b2c3d");

    Text session;
    const Text answer =
        HttpRequest({.url = StandInUrl("/account.php"),
                     .method = kHttpPost,
                     .postText = "action=login&task=login&ref=%2Fmydisk.php&formhash=" + token +
                                 "&username=user&password=secret",
                     .returnedCookies = &session});
    EXPECT_NE(answer.find("登录成功，欢迎您回来"), Text::npos) << answer;
    EXPECT_NE(session.find("phpdisk_info="), Text::npos) << session;

    const Text d = "-----------------------------81971010215309";
    Text form;
    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"task", "1"},
             {"folder_id", "77"},
             {"id", "WU_FILE_0"},
             {"name", "a.txt"},
             {"type", "application/octet-stream"},
             {"lastModifiedDate", "x"},
             {"size", "1"}}) {
        form += d + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value +
                "\r\n";
    }
    form += d + "\r\nContent-Disposition: form-data; name=\"upload_file\"; filename=\"a.txt\"" +
            "\r\nContent-Type: application/octet-stream\r\n\r\nfile\r\n" + d;
    const Bytes body = BytesOf(form);
    const Text headers = "Content-Type: multipart/form-data; "
                         "boundary=---------------------------81971010215309";
    Text cookies = session;
    const Text uploaded = HttpRequest({.url = StandInUrl("/fileup.php"),
                                       .method = kHttpPost,
                                       .sendCookies = &cookies,
                                       .extraHeaders = headers,
                                       .postBytes = body});
    EXPECT_NE(uploaded.find("\\u4e0a\\u4f20\\u6210\\u529f"), Text::npos) << uploaded;

    // Without the session the service refuses the upload.
    const Text refused = HttpRequest({.url = StandInUrl("/fileup.php"),
                                      .method = kHttpPost,
                                      .extraHeaders = headers,
                                      .postBytes = body});
    EXPECT_NE(refused.find("\\u4e0a\\u4f20\\u5931\\u8d25"), Text::npos) << refused;
}

} // namespace
