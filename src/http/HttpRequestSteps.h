// The decisions of a request that need no platform: the verb, the timeout,
// the proxy name, the object name of a cracked URL and the body to send. The
// Windows half hands their results to WinHttp.
#pragma once

#include "text/Text.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct HttpRequestParams;

// The timeout in milliseconds for all four phases: seconds × 1000 for one
// second or more, otherwise 30 000; values beyond a 32-bit count are held at
// the largest one instead of overflowing.
std::int32_t TimeoutMilliseconds(std::int32_t timeoutSeconds);

// The proxy name for WinHttpOpen: empty without a proxy, the proxy itself for
// an https URL, "http=" and the proxy for any other URL.
Text ProxyNameFor(const Text& proxy, bool secure);

// The object name asked for: "/" when the cracked path is empty, otherwise the
// path followed directly by the extra info (query and fragment). A URL without
// a path is therefore asked for as "/" and its query is not sent.
std::u16string RequestObjectName(std::u16string_view path, std::u16string_view extraInfo);

// The body that goes out: `postBytes` when not empty, otherwise the bytes of
// `postText`. A view of the caller's data; nothing is copied.
std::span<const unsigned char> RequestBody(const HttpRequestParams& params);
