// A regular-expression object: `Search` makes a fresh component, sets its
// options and pattern and runs it over a subject; the other operations read
// the last search's matches. Matches and submatches count from 1; positions
// are 0-based byte offsets in the subject text. Nothing throws: a failed
// step gives an empty text, 0, or false from `Search`.
#pragma once

#include <memory>

#include "regex/RegExpComponent.h"
#include "text/Text.h"

class RegExpObject {
public:
    // The initialiser: the three fields start empty.
    RegExpObject();
    // Runs the finaliser unless `Destroy` already did.
    ~RegExpObject();
    RegExpObject(RegExpObject&&) noexcept = default;
    RegExpObject& operator=(RegExpObject&&) noexcept = default;
    RegExpObject(const RegExpObject&) = delete;
    RegExpObject& operator=(const RegExpObject&) = delete;

    // The operations, in the order of the class's table.

    // Runs the finaliser: releases the component and the matches and clears
    // the subject. Later reads give empty results.
    void Destroy();
    // A new object sharing this one's component and matches, with its own
    // copy of the subject.
    RegExpObject Copy() const;
    // True when the pattern was accepted, even if nothing matched.
    bool Search(const Text& pattern, const Text& subject, bool caseSensitive = false,
                bool multiline = true, bool global = true, bool replaceQuotePlaceholder = false);
    void Reserved();
    // The pattern of the last search; empty before the first.
    Text GetPattern() const;
    // The last subject with the last search's matches replaced.
    Text Replace(const Text& replacement = Text()) const;
    int GetMatchCount() const;
    // The text of match `matchIndex`; with `position`, also its byte offset.
    Text GetMatchText(int matchIndex, int* position = nullptr) const;
    // The text of submatch `submatchIndex` of match `matchIndex`; with
    // `position`, also its byte offset.
    Text GetSubmatchText(int matchIndex, int submatchIndex, int* position = nullptr) const;
    // The number of submatches of the first match.
    int GetSubmatchCount() const;

private:
    const RegExpMatch* MatchAt(int matchIndex) const;
    int PositionOf(const Text& found, const RegExpMatch* match) const;
    void Finalize();

    std::shared_ptr<RegExpComponent> regExp;
    std::shared_ptr<const RegExpMatches> matches;
    Text subject;
};
