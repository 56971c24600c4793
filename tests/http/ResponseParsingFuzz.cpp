// Feeds arbitrary response header blocks and bodies to the response reading:
// status text, header lines, Location lines and the charset step must take
// any bytes without reading outside them.
#include "http/Charset.h"
#include "http/HttpResponseParsing.h"
#include "regex/RegExpObject.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte splits the input into a header block and a body.
    if (size == 0) {
        return 0;
    }
    const std::size_t split = data[0] * (size - 1) / 255 + 1;
    const Text headers(reinterpret_cast<const char*>(data + 1), split - 1);
    const Bytes body(data + split, data + size);

    const Text status = StatusFromHeaderText(headers);
    if (status.size() > headers.size()) {
        __builtin_trap();
    }
    Text location;
    for (const Text& line : HeaderLinesOf(headers)) {
        TakeLocationLine(line, location);
    }

    const Text bodyText = TextFromBytes(body);
    RegExpObject search;
    Text charset;
    if (FindDeclaredCharset(search, bodyText, charset) && CharsetNeedsConversion(charset)) {
        (void)ReadBytesInCharset(body, charset);
    }
    static const char* const names[] = {"utf-8", "GBK", "unicode", "big5", "gb18030"};
    (void)ReadBytesInCharset(body, names[size % 5]);
    return 0;
}
