// Composing the request header block over the shared text rules.
#include "http/Headers.h"

#include "http/TextBetween.h"
#include "text/TextRules.h"

namespace {

constexpr int kPostMethod = 1;
const char kLineBreak[] = "\r\n";

} // namespace

const std::array<DefaultHeader, 6> DefaultHeaders = {{
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n",
     false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    {"Accept-Encoding: ", "Accept-Encoding: gbk, GB2312\r\n", false},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    // No space in this probe: a caller's "Content-Type:x" counts as well.
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
}};

Text ComposeHeaders(const Text& extraHeaders, const Text& sendCookies, int method,
                    bool addDefaultHeaders, bool normalizeHeaderNames) {
    Text block;
    if (!extraHeaders.empty()) {
        block = extraHeaders + kLineBreak;
    }
    if (addDefaultHeaders) {
        for (const DefaultHeader& entry : DefaultHeaders) {
            if (entry.postOnly && method != kPostMethod) {
                continue;
            }
            // The lines appended so far are searched as well.
            if (FindText(block, entry.probe, 1, true) == -1) {
                block += entry.line;
            }
        }
    }
    if (normalizeHeaderNames) {
        block = NormalizeHeaderLines(block);
    }
    // The request engine manages the connection itself. A keep-alive line
    // that ends the normalised block has no CR LF after it and stays.
    if (FindText(block, "Connection") != -1 && HeaderValue(block, "Connection") == "keep-alive") {
        block = ReplaceAll(block, "Connection: keep-alive\r\n", "");
    }
    if (!sendCookies.empty() && FindText(block, "Cookie:", 1, true) == -1) {
        if (FindText(sendCookies, "Cookie:", 1, true) != -1) {
            block += kLineBreak + sendCookies + kLineBreak;
        } else {
            block += "\r\nCookie: " + sendCookies + kLineBreak;
        }
    }
    return block;
}

Text NormalizeHeaderLines(const Text& headers) {
    Text result;
    for (const Text& line : SplitText(headers, kLineBreak)) {
        const int colon = FindText(line, ":");
        if (colon == -1) {
            continue;
        }
        const Text name = line.substr(0, static_cast<std::size_t>(colon) - 1);
        Text rewritten;
        if (FindText(name, "-") != -1) {
            // A trailing dash makes no last word, so the rewritten name is one
            // byte short; the dash then comes from the old line below.
            const TextArray words = SplitText(name, "-");
            for (std::size_t i = 0; i < words.size(); ++i) {
                if (i > 0) {
                    rewritten += '-';
                }
                rewritten += CapitalizeFirst(words[i]);
            }
        } else {
            rewritten = CapitalizeFirst(name);
        }
        result += rewritten;
        result.append(line, rewritten.size(), Text::npos);
        result += kLineBreak;
    }
    if (result.size() >= 2) {
        result.erase(result.size() - 2);
    }
    return result;
}

Text CapitalizeFirst(const Text& text) {
    Text result = text;
    if (!result.empty()) {
        result[0] = AsciiUpper(result[0]);
    }
    return result;
}

Text HeaderValue(const Text& headers, const Text& name) {
    for (const Text& line : SplitText(headers, kLineBreak)) {
        if (line.compare(0, name.size(), name) == 0 && line.size() >= name.size()) {
            // Later lines are not consulted even when this one has no value.
            return TextAfter(line, name + ": ");
        }
    }
    return Text();
}
