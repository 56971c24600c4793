// The platform-free decisions of the request half; see HttpRequestSteps.h.
#include "http/HttpRequestSteps.h"

#include "http/HttpRequest.h"

#include <limits>

const char* const kHttpPlatformError = "700 当前系统不支持WinHttp服务!";
const char* const kHttpUrlError = "701 解析URL地址失败!";
const char* const kHttpSessionError = "702 创建WinHttp会话失败!";
const char* const kHttpConnectionError = "703 创建WinHttp连接失败!";
const char* const kHttpRequestError = "704 创建WinHttp请求失败!";
const char* const kHttpTimeoutError = "705 设置超时时间失败!";
const char* const kHttpCredentialsError = "707 设置代理凭证失败!";
const char* const kHttpSecurityFlagsError = "忽略错误/证书错误  失败！";
const char* const kHttpCookieOptionError = "708 禁止自动设置Cookies失败!";
const char* const kHttpRedirectOptionError = "709 重定向设置失败!";
const char* const kHttpHeadersError = "710 设置协议头失败!";
const char* const kHttpSendError = "711 发送请求失败!";
const char* const kHttpNoResponseError = "712 服务器未响应!";
const char* const kHttpReadError = "713 读取数据失败!";

Text HttpVerb(std::int32_t method) {
    static const char* const verbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                        "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    if (method < 0 || method > 7) {
        return verbs[0];
    }
    return verbs[method];
}

std::int32_t TimeoutMilliseconds(std::int32_t timeoutSeconds) {
    if (timeoutSeconds < 1) {
        return 30000;
    }
    const std::int64_t milliseconds = std::int64_t{timeoutSeconds} * 1000;
    const std::int64_t largest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(milliseconds < largest ? milliseconds : largest);
}

Text ProxyNameFor(const Text& proxy, bool secure) {
    if (proxy.empty() || secure) {
        return proxy;
    }
    return "http=" + proxy;
}

std::u16string RequestObjectName(std::u16string_view path, std::u16string_view extraInfo) {
    if (path.empty()) {
        return u"/";
    }
    std::u16string name(path);
    name += extraInfo;
    return name;
}

std::span<const unsigned char> RequestBody(const HttpRequestParams& params) {
    if (!params.postBytes.empty()) {
        return params.postBytes;
    }
    return {reinterpret_cast<const unsigned char*>(params.postText.data()), params.postText.size()};
}
