// The request header block and the header text format: lines separated by
// CR LF, a line is a header when it has a colon, its name is what precedes
// the first colon and the rest of the line is kept byte for byte.
#pragma once

#include <array>

#include "text/Text.h"

// One browser-like header added when the caller did not supply it. The probe
// is searched for ignoring the case of ASCII letters; `line` ends in CR LF.
struct DefaultHeader {
    const char* probe;
    const char* line;
    bool postOnly; // added only for the POST verb (method 1)
};

// The default header set, in the order the lines are appended.
extern const std::array<DefaultHeader, 6> DefaultHeaders;

// The header block for one request: the caller's lines, the missing default
// headers, names capitalised, a keep-alive Connection line dropped, and a
// Cookie line. `method` is the verb index (0 GET, 1 POST, 2 HEAD, ...).
Text ComposeHeaders(const Text& extraHeaders, const Text& sendCookies, int method,
                    bool addDefaultHeaders = true, bool normalizeHeaderNames = true);

// The header text with colon-less lines dropped and each dash-separated word
// of every name starting with an upper-case letter; no byte is added or lost.
Text NormalizeHeaderLines(const Text& headers);

// The text with its first byte upper-cased when it is an ASCII lower-case letter.
Text CapitalizeFirst(const Text& text);

// The value of the first line that begins with `name` (exact bytes): what
// follows the last "name: " in that line, or the empty text.
Text HeaderValue(const Text& headers, const Text& name);
