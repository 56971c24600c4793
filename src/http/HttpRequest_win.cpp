// The request engine over WinHttp: the request half from the platform check
// to sending, the response half from receiving to the charset step, and the
// way out that closes the handles in the order request, connection, session.
#include "http/HttpRequest.h"

#include "http/Charset.h"
#include "http/Cookies.h"
#include "http/Encoding.h"
#include "http/Headers.h"
#include "http/HttpRequestSteps.h"
#include "http/HttpResponseParsing.h"
#include "http/WinHttpApi_win.h"
#include "platform/ComApartment.h"
#include "platform/PendingEvents.h"
#include "regex/RegExpObject.h"

#include <string>

namespace {

constexpr DWORD kSecurityFlagsIgnored =
    SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE |
    SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
static_assert(kSecurityFlagsIgnored == 0x3300);

// A string for the platform: the UTF-16 form of the text, NUL-terminated; an
// empty text goes as the empty UTF-16 string rather than a null pointer.
class WideArg {
public:
    explicit WideArg(const Text& text) : units(TextToWide(text)) {}
    LPCWSTR get() const {
        return units.empty() ? L"" : reinterpret_cast<LPCWSTR>(WidePointer(units));
    }
    // The units without the terminating one.
    DWORD length() const { return units.empty() ? 0 : static_cast<DWORD>(units.size() / 2 - 1); }

private:
    Bytes units;
};

Bytes UnitsAsBytes(const wchar_t* units, DWORD count) {
    const auto* first = reinterpret_cast<const unsigned char*>(units);
    return Bytes(first, first + std::size_t{count} * 2);
}

// The outputs of one call: the caller's variables, or scratch values for the
// ones the caller left out.
struct Outputs {
    explicit Outputs(const HttpRequestParams& params)
        : sendCookies(params.sendCookies ? *params.sendCookies : scratchSendCookies),
          returnedCookies(params.returnedCookies ? *params.returnedCookies
                                                 : scratchReturnedCookies),
          returnedHeaders(params.returnedHeaders ? *params.returnedHeaders
                                                 : scratchReturnedHeaders),
          location(params.location ? *params.location : scratchLocation),
          status(params.status ? *params.status : scratchStatus),
          bodyBytes(params.bodyBytes ? *params.bodyBytes : scratchBodyBytes) {}

    Text scratchSendCookies, scratchReturnedCookies, scratchReturnedHeaders, scratchLocation,
        scratchStatus;
    Bytes scratchBodyBytes;
    Text& sendCookies;
    Text& returnedCookies;
    Text& returnedHeaders;
    Text& location;
    Text& status;
    Bytes& bodyBytes;
};

class RequestCall {
public:
    RequestCall(const WinHttpApi& api, const HttpRequestParams& params)
        : api(api), params(params), out(params) {}

    Text Run() {
        const bool reachedResponse = SendHalf();
        if (reachedResponse) {
            ResponseHalf();
        }
        if (!earlyExit) {
            // Once for every stage entered, just before the handles close.
            for (HINTERNET handle : {request, connection, session}) {
                if (handle != nullptr) {
                    ProcessPendingEvents();
                }
            }
        }
        CloseHandles();
        return result;
    }

private:
    // Steps 1 to 15; false when a step failed.
    bool SendHalf() {
        if (!api.CheckPlatform()) {
            return Fail(kHttpPlatformError);
        }

        const WideArg url(params.url);
        URL_COMPONENTS parts = {};
        parts.dwStructSize = sizeof(parts);
        parts.dwSchemeLength = static_cast<DWORD>(-1);
        parts.dwHostNameLength = static_cast<DWORD>(-1);
        parts.dwUrlPathLength = static_cast<DWORD>(-1);
        parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!api.CrackUrl(url.get(), 0, 0, &parts) ||
            (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
            return Fail(kHttpUrlError);
        }
        const Text host = WideToText(UnitsAsBytes(parts.lpszHostName, parts.dwHostNameLength));
        const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
        const auto* path = reinterpret_cast<const char16_t*>(parts.lpszUrlPath);
        const auto* extra = reinterpret_cast<const char16_t*>(parts.lpszExtraInfo);
        const std::u16string objectName =
            RequestObjectName(path ? std::u16string_view(path, parts.dwUrlPathLength) : u"",
                              extra ? std::u16string_view(extra, parts.dwExtraInfoLength) : u"");

        const WideArg proxyName(ProxyNameFor(params.proxy, secure));
        const DWORD access =
            params.proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        session = api.Open(nullptr, access, proxyName.get(), nullptr, 0);
        if (session == nullptr) {
            return Fail(kHttpSessionError);
        }

        const int timeout = TimeoutMilliseconds(params.timeoutSeconds);
        if (!api.SetTimeouts(session, timeout, timeout, timeout, timeout)) {
            return Fail(kHttpTimeoutError);
        }

        connection = api.Connect(session, WideArg(host).get(), parts.nPort, 0);
        if (connection == nullptr) {
            return Fail(kHttpConnectionError);
        }

        const WideArg verb(HttpVerb(params.method));
        request =
            api.OpenRequest(connection, verb.get(), reinterpret_cast<LPCWSTR>(objectName.c_str()),
                            nullptr, nullptr, nullptr, secure ? WINHTTP_FLAG_SECURE : 0);
        if (request == nullptr) {
            return Fail(kHttpRequestError);
        }

        // Steps 9 to 13 leave at once, without handling pending messages.
        if (!params.authUser.empty() && !params.authPassword.empty() &&
            !api.SetCredentials(request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                                WideArg(params.authUser).get(), WideArg(params.authPassword).get(),
                                nullptr)) {
            return FailEarly(kHttpCredentialsError);
        }
        if (!params.proxyUser.empty() && !params.proxyPassword.empty() &&
            !api.SetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC,
                                WideArg(params.proxyUser).get(),
                                WideArg(params.proxyPassword).get(), nullptr)) {
            return FailEarly(kHttpCredentialsError);
        }
        // The service's certificates are not checked: an unknown issuer, a
        // wrong usage, name or date must not stop the request.
        if (!SetNumberOption(WINHTTP_OPTION_SECURITY_FLAGS, kSecurityFlagsIgnored)) {
            return FailEarly(kHttpSecurityFlagsError);
        }
        const Text& sendCookies = out.sendCookies;
        // Without cookies of the caller's the platform keeps and sends none of
        // its own; with them it keeps its own handling, and revocation
        // checking is switched on instead.
        const bool cookieOption =
            sendCookies.empty()
                ? SetNumberOption(WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES)
                : SetNumberOption(WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION);
        if (!cookieOption) {
            return FailEarly(kHttpCookieOptionError);
        }
        if (params.noRedirect &&
            !SetNumberOption(WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS)) {
            return FailEarly(kHttpRedirectOptionError);
        }

        const WideArg headers(ComposeHeaders(params.extraHeaders, sendCookies, params.method,
                                             params.addDefaultHeaders,
                                             params.normalizeHeaderNames));
        if (!api.AddRequestHeaders(request, headers.get(), headers.length(),
                                   WINHTTP_ADDREQ_FLAG_ADD)) {
            return Fail(kHttpHeadersError);
        }

        // The body goes whole in one call, straight from the caller's buffer.
        const std::span<const unsigned char> body = RequestBody(params);
        void* data = body.empty() ? nullptr : const_cast<unsigned char*>(body.data());
        const auto length = static_cast<DWORD>(body.size());
        if (!api.SendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, length, length, 0)) {
            return Fail(kHttpSendError);
        }
        return true;
    }

    void ResponseHalf() {
        if (!api.ReceiveResponse(request, nullptr)) {
            Fail(kHttpNoResponseError);
            return;
        }

        // Each read asks for what the platform has ready and lands directly at
        // the end of the body. A failure of either call ends the reading; the
        // part read so far is kept.
        Bytes body;
        bool readFailed = false;
        for (;;) {
            DWORD available = 0;
            if (!api.QueryDataAvailable(request, &available)) {
                readFailed = true;
                break;
            }
            if (available < 1) {
                break;
            }
            const std::size_t start = body.size();
            body.resize(start + available);
            DWORD read = 0;
            if (!api.ReadData(request, body.data() + start, available, &read)) {
                body.resize(start);
                readFailed = true;
                break;
            }
            body.resize(start + (read < available ? read : available));
            if (read == 0) {
                // Nothing came although something was reported: the answer
                // has ended, and asking again would never stop.
                break;
            }
        }
        if (readFailed) {
            out.status = kHttpReadError;
        }

        DWORD size = 0;
        DWORD index = 0;
        api.QueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                         nullptr, &size, &index);
        Bytes raw(size);
        index = 0;
        if (size == 0 ||
            !api.QueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                              raw.data(), &size, &index)) {
            return;
        }
        raw.resize(size < raw.size() ? size : raw.size());

        const Text headerText = WideToText(raw);
        out.returnedHeaders = headerText;
        // A body cut short by a failed read is not reported under the status
        // of a whole answer: the read error stays.
        if (!readFailed) {
            out.status = StatusFromHeaderText(headerText);
        }
        const TextArray lines = HeaderLinesOf(headerText);
        CollectCookies(lines, out.returnedCookies);
        for (const Text& line : lines) {
            TakeLocationLine(line, out.location);
            ProcessPendingEvents();
        }

        if (params.mergeCookies && !out.sendCookies.empty()) {
            out.returnedCookies = MergeCookies(out.sendCookies, out.returnedCookies);
        }

        out.bodyBytes = body;
        result = TextFromBytes(body);

        InitializeCom();
        Text charset;
        if (FindDeclaredCharset(charsetSearch, result, charset)) {
            if (CharsetNeedsConversion(charset)) {
                // A charset the table does not know keeps the text unconverted.
                if (auto converted = ReadBytesInCharset(body, charset)) {
                    result = std::move(*converted);
                }
            }
            ProcessPendingEvents();
        }
        UninitializeCom();
    }

    bool SetNumberOption(DWORD option, DWORD value) {
        return api.SetOption(request, option, &value, sizeof(value));
    }

    bool Fail(const char* text) {
        out.status = text;
        return false;
    }

    bool FailEarly(const char* text) {
        earlyExit = true;
        return Fail(text);
    }

    void CloseHandles() {
        for (HINTERNET* handle : {&request, &connection, &session}) {
            if (*handle != nullptr) {
                api.CloseHandle(*handle);
                *handle = nullptr;
            }
        }
    }

    const WinHttpApi& api;
    const HttpRequestParams& params;
    Outputs out;
    RegExpObject charsetSearch;
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;
    bool earlyExit = false;
    Text result;
};

} // namespace

Text HttpRequestThrough(const WinHttpApi& api, const HttpRequestParams& params) {
    // The call's own COM pair, held from entry to exit around the
    // regular-expression object it makes; the charset step nests another.
    InitializeCom();
    Text result = RequestCall(api, params).Run();
    UninitializeCom();
    return result;
}

Text HttpRequest(const HttpRequestParams& params) {
    return HttpRequestThrough(SystemWinHttp(), params);
}
