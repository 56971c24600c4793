// One self-contained HTTP or HTTPS request over the system's HTTP services.
//
// Every call opens its own session, connection and request, sends, reads the
// whole answer and closes everything before it returns: no connection, cookie
// store or setting outlives a call, and cookies travel only through the
// caller's texts. The call is synchronous on the calling (GUI) thread; pending
// window messages are processed once per response header line, once after the
// charset search, and once per opened handle on the way out, so window event
// handlers may run nested inside a call.
//
// The call shape: one parameter record with designated initialisers, fields in
// this order, every field after `url` optional. Inputs are values; in/out and
// out parameters are pointers to the caller's variables, and an omitted one
// (null) is written to a scratch value that is thrown away.
//
//     Text page = HttpRequest({.url = loginPageUrl});
//
//     Text collected;
//     Text answer = HttpRequest({.url = loginFormUrl,
//                                .method = kHttpPost,
//                                .postText = form,
//                                .returnedCookies = &collected});
//
//     Text answer = HttpRequest({.url = uploadUrl,
//                                .method = kHttpPost,
//                                .sendCookies = &SessionCookies,   // rewritten by the merge
//                                .extraHeaders = headerLines,
//                                .postBytes = body});              // a view: not copied
//
// Failure is told by a numbered error text in `status` (the k*Error texts
// below) and an empty result; nothing throws and nothing is retried. An output
// that a failing call never reaches keeps the caller's value.
#pragma once

#include "text/Text.h"

#include <cstdint>
#include <span>

// Indexes of the verb table; any other value sends "GET".
constexpr std::int32_t kHttpGet = 0;
constexpr std::int32_t kHttpPost = 1;
constexpr std::int32_t kHttpHead = 2;
constexpr std::int32_t kHttpPut = 3;
constexpr std::int32_t kHttpOptions = 4;
constexpr std::int32_t kHttpDelete = 5;
constexpr std::int32_t kHttpTrace = 6;
constexpr std::int32_t kHttpConnect = 7;

struct HttpRequestParams {
    // Absolute URL, scheme http or https.
    Text url{};
    // Index into the verb table (HttpVerb).
    std::int32_t method = kHttpGet;
    // Request body as text; sent only when `postBytes` is empty.
    Text postText{};
    // In/out: the cookie text of the request's Cookie line. Empty or omitted
    // turns the platform's own cookie handling off; not empty, it is merged
    // with the answer's cookies and the merged text written back here.
    Text* sendCookies = nullptr;
    // In/out: the answer's cookies are appended to what it holds.
    Text* returnedCookies = nullptr;
    // The caller's header lines ("Name: value"), separated by CR LF.
    Text extraHeaders{};
    // Out: the raw response header block, status line first, lines ending in CR LF.
    Text* returnedHeaders = nullptr;
    // True: the platform does not follow redirects; the caller gets the
    // redirect answer itself and its target in `location`.
    bool noRedirect = false;
    // Basic authentication at the server, set only when both are not empty.
    Text authUser{};
    Text authPassword{};
    // Proxy "host:port"; empty means no proxy.
    Text proxy{};
    // Basic authentication at the proxy, set only when both are not empty.
    Text proxyUser{};
    Text proxyPassword{};
    // Resolve, connect, send and receive timeout; below 1 means 30 seconds.
    std::int32_t timeoutSeconds = 0;
    // Out: the value of the answer's last "Location: " line.
    Text* location = nullptr;
    // Out: a k*Error text, or once the response headers are read the status
    // text of the status line ("200 OK"). When the body could not be read to
    // its end, kHttpReadError stays although the headers and the part read
    // are delivered: a cut answer is not reported as a whole one.
    Text* status = nullptr;
    // Out: the response body exactly as received, NUL bytes included.
    Bytes* bodyBytes = nullptr;
    // Merge `sendCookies` into `returnedCookies` after the answer.
    bool mergeCookies = true;
    // The default header lines join the request's header block.
    bool addDefaultHeaders = true;
    // Request body as bytes; wins over `postText` when not empty. A view of
    // the caller's buffer, which must stay alive during the call.
    std::span<const unsigned char> postBytes{};
    // The header block's names are normalised (capitalised, spacing fixed).
    bool normalizeHeaderNames = true;
};

// Performs the request and returns the body as text: the body up to its first
// NUL byte, converted from the charset a page declares in a meta tag within
// its first 1024 bytes. Empty when the request failed before the response
// headers were read.
Text HttpRequest(const HttpRequestParams& params);

// The verb for a `method` index: "GET" for any value outside the table.
Text HttpVerb(std::int32_t method);

// The error texts, each written to `status` when its step fails.
extern const char* const kHttpPlatformError;       // 700
extern const char* const kHttpUrlError;            // 701
extern const char* const kHttpSessionError;        // 702
extern const char* const kHttpConnectionError;     // 703
extern const char* const kHttpRequestError;        // 704
extern const char* const kHttpTimeoutError;        // 705
extern const char* const kHttpCredentialsError;    // 707, server or proxy
extern const char* const kHttpSecurityFlagsError;  // unnumbered
extern const char* const kHttpCookieOptionError;   // 708
extern const char* const kHttpRedirectOptionError; // 709
extern const char* const kHttpHeadersError;        // 710
extern const char* const kHttpSendError;           // 711
extern const char* const kHttpNoResponseError;     // 712
extern const char* const kHttpReadError;           // 713
