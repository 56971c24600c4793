// The byte-level text rules; see TextRules.h for what each one promises.
#include "text/TextRules.h"

Text TextFromBytes(const Bytes& bytes) {
    std::size_t length = 0;
    while (length < bytes.size() && bytes[length] != 0) {
        ++length;
    }
    return Text(reinterpret_cast<const char*>(bytes.data()), length);
}

bool TextMatchesAt(const Text& text, std::size_t offset, const Text& what, bool ignoreCase) {
    if (offset > text.size() || what.size() > text.size() - offset) {
        return false;
    }
    for (std::size_t i = 0; i < what.size(); ++i) {
        char a = text[offset + i];
        char b = what[i];
        if (ignoreCase ? AsciiLower(a) != AsciiLower(b) : a != b) {
            return false;
        }
    }
    return true;
}

bool TextEquals(const Text& a, const Text& b, bool ignoreCase) {
    return a.size() == b.size() && TextMatchesAt(a, 0, b, ignoreCase);
}

namespace {

// The 0-based offset of the character after the one at `offset`, or npos
// when a lead byte stands last and so ends the text.
std::size_t NextCharacter(const Text& text, std::size_t offset) {
    if (!IsLeadByte(static_cast<unsigned char>(text[offset]))) {
        return offset + 1;
    }
    return offset + 1 < text.size() ? offset + 2 : Text::npos;
}

// The 0-based offset of the first character boundary at or after `offset`,
// walking from `from`, itself a boundary at or before `offset`.
std::size_t CharacterBoundaryFrom(const Text& text, std::size_t offset, std::size_t from = 0) {
    std::size_t at = from;
    while (at < offset && at < text.size()) {
        at = NextCharacter(text, at);
        if (at == Text::npos) {
            return Text::npos;
        }
    }
    return at;
}

// The search rule from `at`, a character boundary (or npos: nothing found).
int FindFromBoundary(const Text& text, const Text& what, std::size_t at, bool ignoreCase) {
    while (at != Text::npos && at < text.size()) {
        // A lead byte standing last is half a character: nothing starts there.
        if (IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 == text.size()) {
            break;
        }
        if (TextMatchesAt(text, at, what, ignoreCase)) {
            return static_cast<int>(at) + 1;
        }
        at = NextCharacter(text, at);
    }
    return -1;
}

// The search that follows a match found at the boundary `matchAt`: it starts
// after the match, as FindText from the position after it would, but walks
// only from the match instead of from the first byte, so that scanning a
// text match by match stays linear.
int FindAfterMatch(const Text& text, const Text& what, std::size_t matchAt, std::size_t length,
                   bool ignoreCase) {
    const std::size_t start = matchAt + length;
    if (start >= text.size()) {
        return -1;
    }
    return FindFromBoundary(text, what, CharacterBoundaryFrom(text, start, matchAt), ignoreCase);
}

} // namespace

int FindText(const Text& text, const Text& what, int startPosition, bool ignoreCase) {
    std::size_t start = startPosition <= 1 ? 0 : static_cast<std::size_t>(startPosition) - 1;
    if (start >= text.size()) {
        return -1;
    }
    // A start inside a double-byte character moves on to the next character.
    return FindFromBoundary(text, what, CharacterBoundaryFrom(text, start), ignoreCase);
}

int FindLastTextWithin(const Text& text, const Text& what, std::size_t limit) {
    if (limit > text.size()) {
        limit = text.size();
    }
    int found = -1;
    for (std::size_t at = 0; at != Text::npos && at < limit; at = NextCharacter(text, at)) {
        if (what.size() <= limit - at && TextMatchesAt(text, at, what, false)) {
            found = static_cast<int>(at) + 1;
        }
    }
    return found;
}

Text ReplaceAll(const Text& text, const Text& find, const Text& replacement, bool ignoreCase) {
    if (find.empty()) {
        return text;
    }
    Text result;
    result.reserve(text.size());
    std::size_t copied = 0;
    int position = FindText(text, find, 1, ignoreCase);
    while (position != -1) {
        std::size_t at = static_cast<std::size_t>(position) - 1;
        result.append(text, copied, at - copied);
        result += replacement;
        copied = at + find.size();
        position = FindAfterMatch(text, find, at, find.size(), ignoreCase);
    }
    result.append(text, copied, Text::npos);
    return result;
}

namespace {

const char kIdeographicSpace[] = "\xA1\xA1";

// Bytes of blanks at `offset`: 1 for an ASCII space, 2 for A1 A1, else 0.
std::size_t BlankAt(const Text& text, std::size_t offset) {
    if (text[offset] == ' ') {
        return 1;
    }
    return TextMatchesAt(text, offset, kIdeographicSpace, false) ? 2 : 0;
}

} // namespace

Text TrimLeadingBlanks(const Text& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t blank = BlankAt(text, at);
        if (blank == 0) {
            break;
        }
        at += blank;
    }
    return text.substr(at);
}

Text TrimTrailingBlanks(const Text& text) {
    // Walk forward so that an A1 A1 pair is only taken on a character
    // boundary; remember where the final run of blanks began.
    std::size_t keep = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t blank = BlankAt(text, at);
        if (blank != 0) {
            at += blank;
            continue;
        }
        std::size_t next = NextCharacter(text, at);
        at = next == Text::npos ? text.size() : next;
        keep = at;
    }
    return text.substr(0, keep);
}

Text TrimBlanks(const Text& text) {
    return TrimTrailingBlanks(TrimLeadingBlanks(text));
}

TextArray SplitText(const Text& text, const Text& separator) {
    TextArray pieces;
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    // One pass over the characters, as FindText advances, without walking
    // back to the first byte for every piece: a block of many lines splits
    // in linear time.
    std::size_t from = 0;
    std::size_t at = 0;
    while (at != Text::npos && at < text.size()) {
        // A lead byte standing last is half a character: nothing starts there.
        if (IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 == text.size()) {
            break;
        }
        if (at >= from && TextMatchesAt(text, at, separator, false)) {
            pieces.push_back(text.substr(from, at - from));
            from = at + separator.size();
            // The next piece starts at the first character boundary at or
            // after the separator's end, counted on from this boundary.
            while (at != Text::npos && at < from) {
                at = NextCharacter(text, at);
            }
            continue;
        }
        at = NextCharacter(text, at);
    }
    if (from < text.size()) {
        pieces.push_back(text.substr(from));
    }
    return pieces;
}
