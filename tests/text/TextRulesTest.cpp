// The shared text rules: the search rule at its boundaries, the double-byte
// rule, folding, replace-all, trimming and splitting.
#include <gtest/gtest.h>

#include "text/TextRules.h"

namespace {

// "\x81\x40" is one GBK character whose second byte is '@'; "\x81\x5C" one
// whose second byte is a backslash.
struct FindCase {
    const char* text;
    const char* what;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, FollowsTheSearchRule) {
    const FindCase cases[] = {
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", 0, false, 2}, // a start of 1 or less means the first byte
        {"abcabc", "bc", -7, false, 2},
        {"abcabc", "c", 6, false, 6},  // the last byte is still searched
        {"abcabc", "c", 7, false, -1}, // a start beyond the length finds nothing
        {"abcabc", "x", 1, false, -1},
        {"abc", "abcd", 1, false, -1}, // longer than the text
        {"abc", "", 1, false, 1},      // empty needle in a non-empty text
        {"abc", "", 3, false, 3},
        {"", "", 1, false, -1}, // empty searched part
        {"", "a", 1, false, -1},
        {"aBc", "bC", 1, false, -1},       // exact by default
        {"aBc", "bC", 1, true, 2},         // ASCII letters folded on request
        {"\xC4\xE3", "\xE4", 1, true, -1}, // folding never touches non-ASCII bytes
        {"\x81\x40@", "@", 1, false, 3},   // no match on a second byte
        {"\x81\x5C\\", "\\", 1, false, 3},
        {"\x81\x40", "@", 1, false, -1},
        {"\x81\x40", "@", 2, false, -1}, // a start on a second byte moves on
        {"a\x81", "\x81", 1, false, -1}, // a lead byte before the end ends the search
        {"a\x81", "a", 1, false, 1},
        {"\xD2\xFD\xBA\xC5", "\xBA\xC5", 1, false, 3},
        {"\xD2\xFD\xBA\xC5", "\xFD\xBA", 1, false, -1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "text '" << c.text << "' what '" << c.what << "' start " << c.start);
        EXPECT_EQ(FindText(c.text, c.what, c.start, c.ignoreCase), c.expected);
    }
}

TEST(FindText, SeesBytesAfterAnInnerNulAsPartOfTheText) {
    // Texts built by the program never hold a NUL, but a search must not
    // read past the text's own length when one does.
    const Text text("a\0b", 3);
    EXPECT_EQ(FindText(text, "b"), 3);
    EXPECT_EQ(FindText(text, "bc"), -1);
}

TEST(TextEquals, ComparesExactlyOrFolded) {
    EXPECT_TRUE(TextEquals("Set-Cookie", "Set-Cookie"));
    EXPECT_FALSE(TextEquals("Set-Cookie", "set-cookie"));
    EXPECT_TRUE(TextEquals("Set-Cookie", "sET-cOOKIE", true));
    EXPECT_FALSE(TextEquals("abc", "abcd", true));
    EXPECT_FALSE(TextEquals("[", "{", true)); // 0x5B and 0x7B differ by 32 but are not letters
}

struct ReplaceCase {
    const char* text;
    const char* find;
    const char* replacement;
    bool ignoreCase;
    const char* expected;
};

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanning) {
    const ReplaceCase cases[] = {
        {"a-b-c", "-", "+", false, "a+b+c"},
        {"aaa", "aa", "b", false, "ba"}, // left to right, no overlaps
        {"ab", "a", "aa", false, "aab"}, // inserted text is not rescanned
        {"xyx", "x", "xyx", false, "xyxyxyx"},
        {"abc", "", "z", false, "abc"}, // an empty find changes nothing
        {"abc", "b", "", false, "ac"},
        {"ABab", "ab", "-", true, "--"},
        {"ABab", "ab", "-", false, "AB-"},
        {"\x81\x40@", "@", "#", false, "\x81\x40#"}, // not on a second byte
        // A match that ends on a lead byte: the next search starts at the
        // character after the one that byte begins.
        {"a\x81@a\x81@", "a\x81", "-", false, "-@-@"},
        {"", "a", "b", false, ""},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' '" << c.find << "'");
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement, c.ignoreCase), c.expected);
    }
}

TEST(Trim, RemovesAsciiAndIdeographicSpacesOnly) {
    const struct {
        const char* text;
        const char* leading;
        const char* trailing;
        const char* both;
    } cases[] = {
        {"  a b  ", "a b  ", "  a b", "a b"},
        {"\xA1\xA1 a\xA1\xA1", "a\xA1\xA1", "\xA1\xA1 a", "a"},
        {"\ta\t", "\ta\t", "\ta\t", "\ta\t"}, // tabs are not blanks here
        {"   ", "", "", ""},
        {"", "", "", ""},
        // B0 A1 is a character; the A1 after it stands alone and is kept.
        {"\xB0\xA1\xA1", "\xB0\xA1\xA1", "\xB0\xA1\xA1", "\xB0\xA1\xA1"},
        // The lone A1 starts a character whose second byte is the space.
        {"\xB0\xA1\xA1 ", "\xB0\xA1\xA1 ", "\xB0\xA1\xA1 ", "\xB0\xA1\xA1 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        EXPECT_EQ(TrimLeadingBlanks(c.text), c.leading);
        EXPECT_EQ(TrimTrailingBlanks(c.text), c.trailing);
        EXPECT_EQ(TrimBlanks(c.text), c.both);
    }
}

TEST(SplitText, KeepsInnerAndLeadingEmptyPiecesButNoFinalOne) {
    const struct {
        const char* text;
        const char* separator;
        TextArray expected;
    } cases[] = {
        {"a\r\nb", "\r\n", {"a", "b"}},
        {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
        {"\r\na", "\r\n", {"", "a"}},
        {"a\r\n", "\r\n", {"a"}},
        {"a\r\n\r\n", "\r\n", {"a", ""}},
        {"\r\n", "\r\n", {""}},
        {"", "\r\n", {}},
        {"abc", "", {"abc"}},
        {"\x81\x40@x", "@", {"\x81\x40", "x"}}, // never splits on a second byte
        {"\x81\x81@x\x81y", "\x81", {"", "\x81@x", "y"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        EXPECT_EQ(SplitText(c.text, c.separator), c.expected);
    }
}

TEST(ItemAt, CountsFromOneAndGivesEmptyOutOfRange) {
    const TextArray items = {"first", "second"};
    EXPECT_EQ(ItemAt(items, 1), "first");
    EXPECT_EQ(ItemAt(items, 2), "second");
    EXPECT_EQ(ItemAt(items, 0), "");
    EXPECT_EQ(ItemAt(items, 3), "");
}

TEST(TextFromBytes, StopsAtTheFirstNul) {
    EXPECT_EQ(TextFromBytes(Bytes{'a', 'b', 0, 'c'}), "ab");
    EXPECT_EQ(TextFromBytes(Bytes{'a', 'b'}), "ab");
    EXPECT_EQ(TextFromBytes(Bytes{}), "");
}

} // namespace

namespace {

// Splitting as repeated searches from the end of each separator: what the
// one-pass split must equal.
TextArray SplitBySearching(const Text& text, const Text& separator) {
    TextArray pieces;
    std::size_t from = 0;
    while (from < text.size()) {
        const int position = FindText(text, separator, static_cast<int>(from) + 1);
        if (position == -1) {
            pieces.push_back(text.substr(from));
            break;
        }
        const std::size_t at = static_cast<std::size_t>(position) - 1;
        pieces.push_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    return pieces;
}

TEST(SplitText, EqualsRepeatedSearchesOnMixedBytes) {
    // Texts drawn from a few bytes, lead bytes among them, so separators
    // meet double-byte characters from every side.
    const char alphabet[] = {'a', ';', ' ', '\xA1', '\xB0', '\x81', '\r', '\n'};
    const Text separators[] = {";", "; ", "\r\n", "\xA1", "\xA1\xA1", "a\xB0", "\xB0;"};
    unsigned state = 12345;
    for (int round = 0; round < 3000; ++round) {
        Text text;
        const int length = static_cast<int>(state % 14);
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            text += alphabet[(state >> 16) % sizeof(alphabet)];
        }
        state = state * 1103515245u + 12345u;
        for (const Text& separator : separators) {
            ASSERT_EQ(SplitText(text, separator), SplitBySearching(text, separator))
                << "text of " << text.size() << " bytes, round " << round;
        }
    }
}

} // namespace
