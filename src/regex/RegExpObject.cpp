// The regular-expression object over the program's own component. Texts
// cross to the component as UTF-16 through the code-page seam and come back
// as GBK text.
#include "regex/RegExpObject.h"

#include <cstring>
#include <vector>

#include "http/TextBetween.h"
#include "platform/CodePageConversion.h"
#include "text/TextRules.h"

namespace {

std::u16string ToUnits(const Text& text) {
    // The text ends at its first NUL, as it does for the system.
    const char* source = text.c_str();
    const int units = MultiByteToWide(kCodePageGbk, 0, source, -1, nullptr, 0);
    if (units <= 1) {
        return std::u16string();
    }
    std::u16string result(static_cast<std::size_t>(units), u'\0');
    const int written = MultiByteToWide(kCodePageGbk, 0, source, -1, result.data(), units);
    result.resize(written > 0 ? static_cast<std::size_t>(written) - 1 : 0);
    return result;
}

Text FromUnits(const std::u16string& units) {
    if (units.empty()) {
        return Text();
    }
    const int count = static_cast<int>(units.size());
    const int bytes = WideToMultiByte(kCodePageGbk, 0, units.data(), count, nullptr, 0);
    if (bytes <= 0) {
        return Text();
    }
    std::vector<char> out(static_cast<std::size_t>(bytes), 0);
    WideToMultiByte(kCodePageGbk, 0, units.data(), count, out.data(), bytes);
    return Text(out.data(), strnlen(out.data(), out.size()));
}

} // namespace

RegExpObject::RegExpObject() = default;

RegExpObject::~RegExpObject() {
    Finalize();
}

void RegExpObject::Finalize() {
    regExp.reset();
    matches.reset();
    subject.clear();
}

void RegExpObject::Destroy() {
    Finalize();
}

RegExpObject RegExpObject::Copy() const {
    RegExpObject copy;
    copy.regExp = regExp;
    copy.matches = matches;
    copy.subject = subject;
    return copy;
}

bool RegExpObject::Search(const Text& pattern, const Text& subjectText, bool caseSensitive,
                          bool multiline, bool global, bool replaceQuotePlaceholder) {
    regExp.reset();
    matches.reset();
    regExp = std::make_shared<RegExpComponent>();
    regExp->ignoreCase = !caseSensitive;
    regExp->multiline = multiline;
    // A dot never matches a line break: there is no single-line option to set.
    regExp->global = global;
    regExp->pattern =
        ToUnits(replaceQuotePlaceholder ? ReplaceAll(pattern, kQuotePlaceholder, "\"") : pattern);
    subject = subjectText.substr(0, std::strlen(subjectText.c_str()));
    matches = regExp->Execute(ToUnits(subject));
    return matches != nullptr;
}

void RegExpObject::Reserved() {}

Text RegExpObject::GetPattern() const {
    return regExp ? FromUnits(regExp->pattern) : Text();
}

Text RegExpObject::Replace(const Text& replacement) const {
    if (!regExp) {
        return Text();
    }
    const auto replaced = regExp->Replace(ToUnits(subject), ToUnits(replacement));
    return replaced ? FromUnits(*replaced) : Text();
}

int RegExpObject::GetMatchCount() const {
    return matches ? static_cast<int>(matches->size()) : 0;
}

const RegExpMatch* RegExpObject::MatchAt(int matchIndex) const {
    if (!matches || matchIndex < 1 || static_cast<std::size_t>(matchIndex) > matches->size()) {
        return nullptr;
    }
    return &(*matches)[static_cast<std::size_t>(matchIndex) - 1];
}

// The byte offset of `found`: sought in the subject from the 1-based byte
// position equal to the match's index in UTF-16 units. A character before it
// takes at least one byte, so the search never starts past the match; it may
// find an earlier occurrence. The search is exact, as `found` is the
// subject's own text.
int RegExpObject::PositionOf(const Text& found, const RegExpMatch* match) const {
    const int firstIndex = match ? match->firstIndex : 0;
    return FindText(subject, found, firstIndex) - 1;
}

Text RegExpObject::GetMatchText(int matchIndex, int* position) const {
    const RegExpMatch* match = MatchAt(matchIndex);
    const Text text = match ? FromUnits(match->value) : Text();
    if (position) {
        *position = PositionOf(text, match);
    }
    return text;
}

Text RegExpObject::GetSubmatchText(int matchIndex, int submatchIndex, int* position) const {
    const RegExpMatch* match = MatchAt(matchIndex);
    Text text;
    if (match && submatchIndex >= 1 &&
        static_cast<std::size_t>(submatchIndex) <= match->subMatches.size()) {
        text = FromUnits(match->subMatches[static_cast<std::size_t>(submatchIndex) - 1]);
    }
    if (position) {
        *position = PositionOf(text, match);
    }
    return text;
}

int RegExpObject::GetSubmatchCount() const {
    const RegExpMatch* first = MatchAt(1);
    return first ? static_cast<int>(first->subMatches.size()) : 0;
}
