// The component over std::basic_regex. Each UTF-16 unit of the subject is
// one element of a wide string (also where wchar_t has 32 bits), so indexes
// come out in UTF-16 units on both builds.
#include "regex/RegExpComponent.h"

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

} // namespace

std::shared_ptr<const RegExpMatches> RegExpComponent::Execute(const std::u16string& subject) const {
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
