// Collecting and merging cookie text over the shared text rules.
//
// The merge looks names and items up in hash sets rather than walking the
// lists for every item: the results are those of HasCookieNamed and
// IndexOfItem, but an answer with many thousands of cookies stays linear.
#include "http/Cookies.h"

#include <algorithm>
#include <unordered_set>

#include "http/TextBetween.h"
#include "text/TextRules.h"

namespace {

const char kItemSeparator[] = "; ";
const char kDeletionMarker[] = "=deleted";

// Trimmed, and a final ';' given its space so that it splits like "; ".
void Tidy(Text& cookies) {
    cookies = TrimBlanks(cookies);
    if (!cookies.empty() && cookies.back() == ';') {
        cookies += ' ';
    }
}

bool EndsWith(const Text& text, const Text& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

void CollectCookies(const TextArray& headerLines, Text& returnedCookies) {
    for (const Text& line : headerLines) {
        if (TextBefore(line, ": ") != "Set-Cookie") {
            continue;
        }
        Text value;
        if (FindText(line, ";") != -1) {
            // Only name=value: path, expires, domain and the rest are cut off.
            value = TextBetween(line, "Set-Cookie:", ";");
        } else {
            value = ReplaceAll(line, "Set-Cookie:", "", true);
        }
        // Text the caller passed in is kept as items of its own rather than
        // run together with the first new one.
        if (!returnedCookies.empty() && !EndsWith(returnedCookies, kItemSeparator)) {
            returnedCookies += kItemSeparator;
        }
        returnedCookies += TrimBlanks(value);
        returnedCookies += kItemSeparator;
    }
    if (EndsWith(returnedCookies, kItemSeparator)) {
        returnedCookies.erase(returnedCookies.size() - 2);
    }
}

Text MergeCookies(Text& sendCookies, Text& returnedCookies) {
    Tidy(sendCookies);
    Tidy(returnedCookies);
    const TextArray sent = SplitText(sendCookies, kItemSeparator);
    TextArray merged = SplitText(returnedCookies, kItemSeparator);
    std::unordered_set<Text> names;
    for (const Text& item : merged) {
        names.insert(CookieName(item));
    }
    // The answer's cookies win; of several sent ones with one name, the first.
    for (const Text& item : sent) {
        if (names.insert(CookieName(item)).second) {
            merged.push_back(item);
        }
    }
    sendCookies.clear();
    for (const Text& item : merged) {
        if (!EndsWith(item, kDeletionMarker)) {
            sendCookies += item;
            sendCookies += kItemSeparator;
        }
    }
    if (sendCookies.size() >= 2) {
        sendCookies.erase(sendCookies.size() - 2);
    }
    sendCookies = RemoveDuplicateItems(sendCookies, kItemSeparator);
    return sendCookies;
}

Text CookieName(const Text& item) {
    const int equals = FindText(item, "=");
    if (equals == -1) {
        return TrimBlanks(item);
    }
    return TrimBlanks(item.substr(0, static_cast<std::size_t>(equals) - 1));
}

bool HasCookieNamed(const TextArray& items, const Text& name) {
    for (const Text& item : items) {
        if (CookieName(item) == name) {
            return true;
        }
    }
    return false;
}

Text RemoveDuplicateItems(const Text& text, const Text& separator) {
    std::unordered_set<Text> seen;
    Text result;
    for (const Text& item : SplitText(text, separator)) {
        if (seen.insert(item).second) {
            result += item;
            result += separator;
        }
    }
    result.erase(result.size() - std::min(result.size(), separator.size()));
    return result;
}

int IndexOfItem(const TextArray& items, const Text& text) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}
