// The text rules every part of the program follows, written once.
//
// Positions are 1-based and a search that finds nothing gives -1. A byte of
// 0x80 or above starts a two-byte character, so no match ever starts on the
// second byte of a double-byte character. Comparisons are exact unless the
// caller asks for ASCII letters to be folded.
#pragma once

#include "text/Text.h"

// True for a byte that starts a two-byte character.
inline bool IsLeadByte(unsigned char byte) {
    return byte >= 0x80;
}

// The ASCII letters folded to lower case; every other byte unchanged.
inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
inline char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Whether `what` stands in `text` at the 0-based byte offset, with ASCII
// letters folded when asked.
bool TextMatchesAt(const Text& text, std::size_t offset, const Text& what, bool ignoreCase);

// Whole-text comparison, exact or with ASCII letters folded.
bool TextEquals(const Text& a, const Text& b, bool ignoreCase = false);

// The search rule: the 1-based position of the first occurrence of `what` at
// or after `startPosition` (1 or less means the first byte), advancing
// character by character; -1 when there is none or the start lies beyond the
// text. An empty `what` is found at the start whenever the searched part is
// not empty.
int FindText(const Text& text, const Text& what, int startPosition = 1, bool ignoreCase = false);

// The 1-based position of the last occurrence of `what` that lies wholly
// within the first `limit` bytes of `text`, candidates advancing character by
// character; -1 when there is none.
int FindLastTextWithin(const Text& text, const Text& what, std::size_t limit);

// Every occurrence of `find` replaced by `replacement`, left to right, never
// rescanning inserted text. An empty `find` changes nothing.
Text ReplaceAll(const Text& text, const Text& find, const Text& replacement,
                bool ignoreCase = false);

// Trimming removes ASCII spaces and ideographic spaces (A1 A1).
Text TrimLeadingBlanks(const Text& text);
Text TrimTrailingBlanks(const Text& text);
Text TrimBlanks(const Text& text);

// Pieces between separators. Inner and leading empty pieces are kept; a final
// separator does not make an empty last piece; an empty text has no pieces.
// An empty separator leaves the text whole.
TextArray SplitText(const Text& text, const Text& separator);
