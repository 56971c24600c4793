// Feeds arbitrary answer lines and cookie texts to the collection and the
// merge: neither may read outside its texts, and the merged text keeps the
// promises callers rely on (no deleted cookie, no exact duplicate, every
// cookie of the answer present, nothing that was not sent or returned).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

#include "http/Cookies.h"
#include "text/TextRules.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool EndsWith(const Text& text, const Text& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// What the merge makes of each of its arguments before it splits them.
Text Tidied(const Text& cookies) {
    Text tidied = TrimBlanks(cookies);
    if (!tidied.empty() && tidied.back() == ';') {
        tidied += ' ';
    }
    return tidied;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Input: answer lines separated by 0xFE, a 0xFF byte, the sent cookie
    // text, a 0xFF byte, and the returned cookie text the caller starts with.
    Text parts[3];
    std::size_t part = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && part < 2) {
            ++part;
        } else {
            parts[part] += static_cast<char>(data[i]);
        }
    }
    TextArray lines;
    Text line;
    for (char c : parts[0]) {
        if (c == '\xFE') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);

    Text returned = parts[2];
    CollectCookies(lines, returned);
    // One final separator is taken off; the caller's own text may hold more.
    Check(!EndsWith(returned, "; ") || !parts[2].empty());
    Check(returned.size() <= parts[2].size() + 2 + parts[0].size() + 2 * lines.size());
    const Text collected = returned;

    Text sent = parts[1];
    const Text merged = MergeCookies(sent, returned);
    Check(merged == sent);
    Check(returned == Tidied(collected));
    // A double-byte character may swallow a separator once items are
    // rejoined, so the item checks below read single-byte texts only.
    for (char c : parts[0] + parts[1] + parts[2]) {
        if (IsLeadByte(static_cast<unsigned char>(c))) {
            return 0;
        }
    }
    std::unordered_set<Text> sources;
    for (const Text& item : SplitText(Tidied(parts[1]), "; ")) {
        sources.insert(item);
    }
    const TextArray returnedItems = SplitText(returned, "; ");
    sources.insert(returnedItems.begin(), returnedItems.end());
    std::unordered_set<Text> seen;
    for (const Text& item : SplitText(merged, "; ")) {
        Check(!EndsWith(item, "=deleted"));
        Check(seen.insert(item).second);
        Check(sources.count(item) == 1);
    }
    for (const Text& item : returnedItems) {
        Check(item.empty() || EndsWith(item, "=deleted") || seen.count(item) == 1);
    }
    return 0;
}
