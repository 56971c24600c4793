// Cutting text out by markers: the placeholder, the order of the two
// searches, and the boundaries of TextBefore and TextAfter.
#include <gtest/gtest.h>

#include "http/TextBetween.h"

namespace {

TEST(TextBetween, CutsBetweenTheMarkers) {
    const struct {
        const char* source;
        const char* left;
        const char* right;
        int start;
        bool ignoreCase;
        const char* expected;
    } cases[] = {
        {"a<b>c", "<", ">", 0, false, "b"},
        {"a<>c", "<", ">", 0, false, ""},
        {"x>y<z", "<", ">", 0, false, ""},   // the right marker is sought after the left
        {"<1><2>", "<", ">", 0, false, "1"}, // the first left marker counts
        {"<1><2>", "<", ">", 2, false, "2"}, // ... at or after the start
        {"<1><2>", "<", ">", 99, false, ""}, // a start beyond the source
        {"a<bc", "<", ">", 0, false, ""},    // no right marker: nothing, not the rest
        {"abc", "<", ">", 0, false, ""},
        {"ab>c>", "", ">", 0, false, "ab"}, // an empty left marker is found at 1
        {"a<b>", "<", "", 0, false, ""},    // an empty right marker gives nothing
        {"<A>", "<a", ">", 0, false, ""},
        {"<Ab>", "<a", ">", 0, true, "b"},
        {"value=\"tok\"", "value=#引号", "#引号", 0, false, "tok"},
        {"formhash\" value=\"9f3a\" />", "formhash\" value=\"", "\" />", 0, false, "9f3a"},
        // The placeholder is a marker feature only, never read in the source.
        {"[#引号]", "[", "]", 0, false, "#引号"},
        // A marker whose byte equals a second byte of the source is not matched there.
        {"\x81\x40x@y@", "@", "@", 0, false, "y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "'" << c.source << "' '" << c.left << "' '" << c.right << "'");
        EXPECT_EQ(TextBetween(c.source, c.left, c.right, c.start, c.ignoreCase), c.expected);
    }
}

TEST(TextBetween, PlaceholderIsFiveGbkBytes) {
    EXPECT_EQ(Text(kQuotePlaceholder), "#\xD2\xFD\xBA\xC5");
}

TEST(TextBefore, GivesWhatPrecedesTheFirstSeparator) {
    EXPECT_EQ(TextBefore("Set-Cookie: a=1", ": "), "Set-Cookie");
    EXPECT_EQ(TextBefore("a: b: c", ": "), "a");
    EXPECT_EQ(TextBefore(": value", ": "), "");
    EXPECT_EQ(TextBefore("no separator", ": "), "");
    EXPECT_EQ(TextBefore("", ": "), "");
}

TEST(TextAfter, GivesWhatFollowsTheLastSeparatorNotEndingTheText) {
    EXPECT_EQ(TextAfter("Connection: keep-alive", "Connection: "), "keep-alive");
    EXPECT_EQ(TextAfter("Connection: ", "Connection: "), "");
    EXPECT_EQ(TextAfter("a: b: ", ": "), "b: ");
    EXPECT_EQ(TextAfter("a: b: c", ": "), "c");
    EXPECT_EQ(TextAfter("abc", ": "), "");
    EXPECT_EQ(TextAfter("", ": "), "");
    // A colon that is the second byte of a character does not count.
    EXPECT_EQ(TextAfter("k:v\x81:w", ":"), "v\x81:w");
    EXPECT_EQ(TextAfter("k:v\x81@:", "@"), "");
}

} // namespace
