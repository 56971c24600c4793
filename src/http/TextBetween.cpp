// Marker cutting over the shared search rule.
#include "http/TextBetween.h"

#include "text/TextRules.h"

const char kQuotePlaceholder[] = "#引号";

Text TextBetween(const Text& source, const Text& leftMarker, const Text& rightMarker,
                 int startPosition, bool ignoreCase) {
    const Text left = ReplaceAll(leftMarker, kQuotePlaceholder, "\"");
    const Text right = ReplaceAll(rightMarker, kQuotePlaceholder, "\"");
    int found = FindText(source, left, startPosition, ignoreCase);
    if (found == -1) {
        return Text();
    }
    const int contentStart = found + static_cast<int>(left.size());
    // An empty right marker "matches" where the content starts: nothing between.
    int end = FindText(source, right, contentStart, ignoreCase);
    if (end == -1) {
        return Text();
    }
    return source.substr(static_cast<std::size_t>(contentStart) - 1,
                         static_cast<std::size_t>(end - contentStart));
}

Text TextBefore(const Text& text, const Text& separator) {
    int found = FindText(text, separator, 1);
    if (found == -1) {
        return Text();
    }
    return text.substr(0, static_cast<std::size_t>(found) - 1);
}

Text TextAfter(const Text& text, const Text& separator) {
    if (text.empty()) {
        return Text();
    }
    int found = FindLastTextWithin(text, separator, text.size() - 1);
    if (found == -1) {
        return Text();
    }
    return text.substr(static_cast<std::size_t>(found) - 1 + separator.size());
}
