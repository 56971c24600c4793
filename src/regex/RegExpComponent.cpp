// The component over std::basic_regex. Each UTF-16 unit of the subject is
// one element of a wide string (also where wchar_t has 32 bits), so indexes
// come out in UTF-16 units on both builds.
#include "regex/RegExpComponent.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <regex>

namespace {

// ASCII-only classes and case folding: the locale must not decide whether a
// Chinese character is a word character.
struct AsciiTraits : std::regex_traits<wchar_t> {
    wchar_t translate_nocase(wchar_t c) const {
        return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    }
    bool isctype(wchar_t c, char_class_type kind) const {
        return c < 0x80 && std::regex_traits<wchar_t>::isctype(c, kind);
    }
};

using Regex = std::basic_regex<wchar_t, AsciiTraits>;
using WideString = std::wstring;
using Iterator = std::regex_iterator<WideString::const_iterator, wchar_t, AsciiTraits>;

WideString Widen(const std::u16string& units) {
    return WideString(units.begin(), units.end());
}

std::u16string Narrow(WideString::const_iterator first, WideString::const_iterator last) {
    std::u16string units;
    units.reserve(static_cast<std::size_t>(last - first));
    for (; first != last; ++first) {
        units += static_cast<char16_t>(*first);
    }
    return units;
}

Regex Compile(const RegExpComponent& component) {
    auto flags = std::regex_constants::ECMAScript;
    if (component.ignoreCase) {
        flags |= std::regex_constants::icase;
    }
    if (component.multiline) {
        flags |= std::regex_constants::multiline;
    }
    return Regex(Widen(component.pattern), flags);
}

// An upper estimate of the engine's recursion for a pattern: every atom,
// class and group bracket costs a state, a quantifier adds its own, and a
// counted repeat costs its operand as many times as it may repeat (the
// engine copies the operand). A misread pattern can only be overestimated
// or rejected by the engine afterwards.
class DepthEstimate {
public:
    explicit DepthEstimate(const std::u16string& pattern) : p(pattern) {
        while (at < p.size()) {
            total = Add(total, Alternation());
            if (at < p.size()) { // an unmatched ')'
                ++at;
                total = Add(total, 1);
            }
        }
    }

    std::uint64_t total = 0;       // states of the whole pattern
    std::uint64_t largestLoop = 0; // states of the largest repeated part
    std::size_t deepestNesting = 0;

private:
    static constexpr std::uint64_t kHuge = std::uint64_t(1) << 40;

    static std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return std::min(a + b, kHuge); }
    static std::uint64_t Times(std::uint64_t a, std::uint64_t b) {
        return (a != 0 && b > kHuge / a) ? kHuge : a * b;
    }

    std::uint64_t Alternation() {
        std::uint64_t states = Sequence();
        while (at < p.size() && p[at] == u'|') {
            ++at;
            states = Add(states, Add(2, Sequence()));
        }
        return states;
    }

    std::uint64_t Sequence() {
        std::uint64_t states = 0;
        while (at < p.size() && p[at] != u'|' && p[at] != u')') {
            states = Add(states, Quantified(Atom()));
        }
        return states;
    }

    std::uint64_t Atom() {
        const char16_t c = p[at++];
        if (c == u'\\') {
            if (at < p.size()) {
                ++at;
            }
        } else if (c == u'[') {
            // The first unescaped ']' closes the class.
            while (at < p.size() && p[at] != u']') {
                at += (p[at] == u'\\') ? 2 : 1;
            }
            at = std::min(at + 1, p.size());
        } else if (c == u'(') {
            ++nesting;
            deepestNesting = std::max(deepestNesting, nesting);
            if (at < p.size() && p[at] == u'?') {
                at = std::min(at + 2, p.size());
            }
            const std::uint64_t inner = Alternation();
            if (at < p.size()) {
                ++at;
            }
            --nesting;
            return Add(inner, 2);
        }
        return 1;
    }

    // A number of a counted repeat, or nothing when the digits are missing.
    bool Number(std::uint64_t& value) {
        const std::size_t start = at;
        value = 0;
        while (at < p.size() && p[at] >= u'0' && p[at] <= u'9') {
            value = std::min(value * 10 + (p[at] - u'0'), kHuge);
            ++at;
        }
        return at > start;
    }

    std::uint64_t Quantified(std::uint64_t operand) {
        if (at >= p.size()) {
            return operand;
        }
        std::uint64_t states = 0;
        if (p[at] == u'*' || p[at] == u'+' || p[at] == u'?') {
            ++at;
            states = Add(operand, 2);
        } else if (p[at] == u'{') {
            const std::size_t brace = at++;
            std::uint64_t least = 0;
            std::uint64_t most = 0;
            bool counted = Number(least);
            most = least;
            if (counted && at < p.size() && p[at] == u',') {
                ++at;
                Number(most);
            }
            if (!counted || at >= p.size() || p[at] != u'}') {
                at = brace; // a literal brace
                return operand;
            }
            ++at;
            const std::uint64_t copies = std::max<std::uint64_t>({least, most, 1});
            states = Add(Times(operand, copies), 2);
        } else {
            return operand;
        }
        if (at < p.size() && p[at] == u'?') {
            ++at;
        }
        largestLoop = std::max(largestLoop, states);
        return states;
    }

    const std::u16string& p;
    std::size_t at = 0;
    std::size_t nesting = 0;
};

// Recursion the engine may take, in estimated states. On the 32-bit build
// the deepest runs this allows take about half of the 2 MiB stack: twice the
// budget overflows it with a group nested twelve deep repeated over the
// subject.
constexpr std::uint64_t kMaxDepthStates = 8000;
constexpr std::size_t kMaxNesting = 200;

} // namespace

bool RegExpComponent::WithinEngineLimits(const std::u16string& pattern, std::size_t subjectUnits) {
    const DepthEstimate estimate(pattern);
    if (estimate.deepestNesting > kMaxNesting || estimate.total > kMaxDepthStates) {
        return false;
    }
    if (estimate.largestLoop == 0) {
        // Without a repeat an attempt passes each state at most once.
        return true;
    }
    const std::uint64_t perUnit = estimate.largestLoop + 2;
    const std::uint64_t units = std::min<std::uint64_t>(subjectUnits, kMaxDepthStates) + 1;
    return estimate.total + units * perUnit <= kMaxDepthStates;
}

std::shared_ptr<const RegExpMatches> RegExpComponent::Execute(const std::u16string& subject) const {
    if (!WithinEngineLimits(pattern, subject.size())) {
        return nullptr;
    }
    try {
        const Regex regex = Compile(*this);
        const WideString wide = Widen(subject);
        auto found = std::make_shared<RegExpMatches>();
        for (Iterator it(wide.begin(), wide.end(), regex), end; it != end; ++it) {
            const auto& match = *it;
            RegExpMatch item;
            item.value = Narrow(match[0].first, match[0].second);
            item.firstIndex = static_cast<int>(match.position(0));
            for (std::size_t group = 1; group < match.size(); ++group) {
                item.subMatches.push_back(match[group].matched
                                              ? Narrow(match[group].first, match[group].second)
                                              : std::u16string());
            }
            found->push_back(std::move(item));
            if (!global) {
                break;
            }
        }
        return found;
    } catch (const std::exception&) {
        // A rejected pattern, or a subject too complex for the engine.
        return nullptr;
    }
}

std::optional<std::u16string> RegExpComponent::Replace(const std::u16string& subject,
                                                       const std::u16string& replacement) const {
    if (!WithinEngineLimits(pattern, subject.size())) {
        return std::nullopt;
    }
    try {
        const Regex regex = Compile(*this);
        const WideString wide = Widen(subject);
        auto flags = std::regex_constants::format_default;
        if (!global) {
            flags |= std::regex_constants::format_first_only;
        }
        const WideString replaced = std::regex_replace(wide, regex, Widen(replacement), flags);
        return Narrow(replaced.begin(), replaced.end());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
