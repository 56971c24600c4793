// Feeds arbitrary header text to the header block composition and the name
// normalising: neither may read outside its texts, normalising only changes
// the case of letters in the lines it keeps and is stable, and the composed
// block always carries the default headers and the cookies it was asked for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "http/Headers.h"
#include "text/TextRules.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Input: a byte of switches and the verb, then the header text, a 0xFF
    // byte, and the cookie text.
    if (size < 1) {
        return 0;
    }
    const int method = data[0] & 7;
    const bool addDefaults = (data[0] & 8) != 0;
    const bool normalize = (data[0] & 16) != 0;
    Text parts[2];
    std::size_t part = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFF && part == 0) {
            ++part;
        } else {
            parts[part] += static_cast<char>(data[i]);
        }
    }
    const Text& headers = parts[0];
    const Text& cookies = parts[1];

    const Text normalized = NormalizeHeaderLines(headers);
    Text kept;
    for (const Text& line : SplitText(headers, "\r\n")) {
        if (FindText(line, ":") != -1) {
            kept += line + "\r\n";
        }
    }
    if (!kept.empty()) {
        kept.erase(kept.size() - 2);
    }
    Check(TextEquals(normalized, kept, true));
    Check(NormalizeHeaderLines(normalized) == normalized);

    const Text block = ComposeHeaders(headers, cookies, method, addDefaults, normalize);
    if (addDefaults) {
        for (const DefaultHeader& entry : DefaultHeaders) {
            if (!entry.postOnly || method == 1) {
                Check(FindText(block, entry.probe, 1, true) != -1);
            }
        }
    }
    if (!cookies.empty()) {
        Check(FindText(block, "Cookie:", 1, true) != -1);
    }
    HeaderValue(block, cookies);
    return 0;
}
