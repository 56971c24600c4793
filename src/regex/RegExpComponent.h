// The program's own regular-expression component: the properties and calls
// the regular-expression object makes on it (IgnoreCase, Multiline, Global,
// Pattern, Execute, Replace), over the standard library's ECMAScript engine.
//
// It works on UTF-16 units, so match positions count UTF-16 units of the
// subject. Character classes (\w, \d, \s, \b) and case folding cover ASCII
// only, whatever the locale, so both builds match the same texts.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct RegExpMatch {
    std::u16string value;
    int firstIndex = 0; // UTF-16 units before the match
    // One entry per group of the pattern; a group that took no part is empty.
    std::vector<std::u16string> subMatches;
};

using RegExpMatches = std::vector<RegExpMatch>;

class RegExpComponent {
public:
    bool ignoreCase = false;
    bool multiline = false;
    bool global = false;
    std::u16string pattern;

    // The matches of the pattern in `subject`: every one when `global`,
    // otherwise the first. Null when the pattern is rejected or the engine
    // gives up on the subject.
    std::shared_ptr<const RegExpMatches> Execute(const std::u16string& subject) const;

    // The subject with the matches (or the first) replaced, `replacement`
    // read with ECMAScript's $ rules; nothing when the pattern is rejected.
    std::optional<std::u16string> Replace(const std::u16string& subject,
                                          const std::u16string& replacement) const;
};
