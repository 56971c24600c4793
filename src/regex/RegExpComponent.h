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

    // Whether the standard library's engine can run `pattern` over a subject
    // of `subjectUnits` units within the stack. That engine recurses once or
    // more per state a match attempt passes, so the depth grows with the
    // subject times the states of the largest repeated part of the pattern,
    // and with the nesting of groups when it compiles; on the 2 MiB stack of
    // a 32-bit Windows program a subject of about 12000 units under ".+?", or
    // 1000 units under a repeated group nested 100 deep, overflows it. Runs
    // beyond the limit are refused rather than risked; a page head of 1024
    // bytes under the charset pattern takes about two thirds of it.
    static bool WithinEngineLimits(const std::u16string& pattern, std::size_t subjectUnits);

    // The matches of the pattern in `subject`: every one when `global`,
    // otherwise the first. Null when the pattern is rejected, the run is
    // beyond WithinEngineLimits, or the engine gives up on it.
    std::shared_ptr<const RegExpMatches> Execute(const std::u16string& subject) const;

    // The subject with the matches (or the first) replaced, `replacement`
    // read with ECMAScript's $ rules; nothing when Execute would give null.
    std::optional<std::u16string> Replace(const std::u16string& subject,
                                          const std::u16string& replacement) const;
};
