// The regular-expression object: the declared-charset search on real page
// heads, the options and their defaults, 1-based indexes, byte positions,
// the pattern read back, replacing, and copies.
#include <gtest/gtest.h>

#include "regex/RegExpObject.h"

namespace {

const char kCharsetPattern[] = "<meta.+?charset=[^\\w]?([-\\w]+)";

TEST(RegExpObject, FindsTheDeclaredCharsetOfAPageHead) {
    const struct {
        const char* head;
        const char* charset;
    } cases[] = {
        {"<!DOCTYPE html>\r\n<html><head>\r\n<meta http-equiv=\"Content-Type\" "
         "content=\"text/html; charset=gb2312\" />\r\n<title>x</title>",
         "gb2312"},
        {"<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; CHARSET=GBK\">",
         "GBK"},
        {"<html lang=\"zh\"><head><meta charset=\"utf-8\"><title>蓝奏云</title>", "utf-8"},
        {"<head><meta charset='UTF-8'>", "UTF-8"},
        {"<head><meta charset=big5>", "big5"},
        {"<meta http-equiv=content-type content=text/html;charset=windows-1252>", "windows-1252"},
        {"<title>蓝奏云</title>\n<meta name=\"viewport\" content=\"width=device-width\">\n"
         "<meta charset=\"gbk\">",
         "gbk"},
        // A dot never crosses a line break, so a tag split over lines is not read.
        {"<meta http-equiv=\"Content-Type\"\n content=\"text/html; charset=utf-8\">", ""},
        {"<html><head><title>no declaration</title></head><body>charset=utf-8</body>", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        RegExpObject object;
        ASSERT_TRUE(object.Search(kCharsetPattern, c.head));
        EXPECT_EQ(object.GetSubmatchText(1, 1), c.charset);
        EXPECT_EQ(object.GetMatchCount(), Text(c.charset).empty() ? 0 : 1);
    }
}

TEST(RegExpObject, SearchIsFalseOnlyForAPatternTheEngineRejects) {
    const struct {
        const char* pattern;
        bool accepted;
    } cases[] = {
        {"(", false}, {"a)", false}, {"[a", false},     {"a{2,1}", false}, {"*a", false},
        {"", true},   {"zzz", true}, {"(?:a)|b", true}, {"\\d+", true},    {"a(?=b)", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        RegExpObject object;
        EXPECT_EQ(object.Search(c.pattern, "subject"), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(object.GetMatchCount(), 0);
            EXPECT_EQ(object.GetMatchText(1), "");
            EXPECT_EQ(object.Replace("x"), "");
        }
        // The pattern was written to the component either way.
        EXPECT_EQ(object.GetPattern(), c.pattern);
    }
}

TEST(RegExpObject, OptionsAndTheirDefaults) {
    struct Options {
        bool caseSensitive = false;
        bool multiline = true;
        bool global = true;
    };
    const struct {
        const char* pattern;
        Text subject;
        Options options;
        int count;
    } cases[] = {
        {"a", "AaA", {}, 3}, // case ignored by default
        {"a", "AaA", {true, true, true}, 1},
        {"[a-c]", "ABC", {}, 3},
        {"^b", "a\nb\nb", {}, 2}, // multi-line by default
        {"^b", "a\nb\nb", {false, false, true}, 0},
        {"a$", "a\na", {}, 2},
        {"a$", "a\na", {false, false, true}, 1},
        {"a", "aaa", {false, true, false}, 1}, // not global: the first only
        {"a.b", "a\nb", {}, 0},                // no single-line mode
        {"x*", "ab", {}, 3},                   // empty matches advance
        {"\\w+", "中文", {}, 0},               // word characters are ASCII
        {"\\s", "\xA1\xA1", {}, 0},
        {"\\bab\\b", "ab 中ab", {}, 2},
        {"中", "中文中", {}, 2},
        {"a", Text("a\0a", 3), {}, 1}, // the subject ends at NUL
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.pattern << "' over '" << c.subject << "'");
        RegExpObject object;
        ASSERT_TRUE(object.Search(c.pattern, c.subject, c.options.caseSensitive,
                                  c.options.multiline, c.options.global));
        EXPECT_EQ(object.GetMatchCount(), c.count);
    }
}

TEST(RegExpObject, MatchesCountFromOneWithBytePositions) {
    RegExpObject object;
    ASSERT_TRUE(object.Search("\\d+", "x1y22z333"));
    const struct {
        int index;
        const char* text;
        int position;
    } cases[] = {
        {1, "1", 1},
        {2, "22", 3},
        {3, "333", 6},
        // A missing match is empty and "found" at the first byte.
        {0, "", 0},
        {4, "", 0},
        {-1, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        int position = -99;
        EXPECT_EQ(object.GetMatchText(c.index, &position), c.text);
        EXPECT_EQ(position, c.position);
        EXPECT_EQ(object.GetMatchText(c.index), c.text);
    }
    ASSERT_TRUE(object.Search("\\d+", "x1y22z333", false, true, false));
    EXPECT_EQ(object.GetMatchText(1), "1");
    EXPECT_EQ(object.GetMatchText(2), "");
}

TEST(RegExpObject, PositionsAreSoughtFromTheUtf16IndexAsABytePosition) {
    const struct {
        const char* pattern;
        const char* subject;
        int index;
        int position;
    } cases[] = {
        // Index 1 in UTF-16 units; the double-byte character takes bytes 0 and 1.
        {"a", "中a", 1, 2},
        {"b", "中文abc中b", 1, 5},
        // The search starts at the 1-based byte position equal to the index,
        // so it may find an earlier occurrence of the same text.
        {"a", "aaa", 1, 0},
        {"a", "aaa", 2, 0},
        {"a", "aaa", 3, 1},
        {"b", "中文abc中b", 2, 5},
        // The subject's own bytes are sought exactly, not ignoring case.
        {"a", "Aa", 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "'" << c.pattern << "' over '" << c.subject << "' #" << c.index);
        RegExpObject object;
        ASSERT_TRUE(object.Search(c.pattern, c.subject));
        int position = -99;
        object.GetMatchText(c.index, &position);
        EXPECT_EQ(position, c.position);
    }
}

TEST(RegExpObject, SubmatchesCountFromOneAndTakeTheMatchPosition) {
    RegExpObject object;
    ASSERT_TRUE(object.Search("(\\w)(x)?(\\w)", "中ab cd"));
    EXPECT_EQ(object.GetMatchCount(), 2);
    EXPECT_EQ(object.GetSubmatchCount(), 3);
    const struct {
        int match;
        int submatch;
        const char* text;
        int position;
    } cases[] = {
        {1, 1, "a", 2}, {1, 2, "", 0}, {1, 3, "b", 3}, {2, 1, "c", 5},
        {2, 3, "d", 6}, {1, 0, "", 0}, {1, 4, "", 0},  {3, 1, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.match << "." << c.submatch);
        int position = -99;
        EXPECT_EQ(object.GetSubmatchText(c.match, c.submatch, &position), c.text);
        EXPECT_EQ(position, c.position);
    }
    ASSERT_TRUE(object.Search("(a)(b)", "xyz"));
    EXPECT_EQ(object.GetSubmatchCount(), 0);
    EXPECT_EQ(object.GetSubmatchText(1, 1), "");
}

TEST(RegExpObject, PatternReadBackWithAndWithoutTheQuotePlaceholder) {
    RegExpObject object;
    EXPECT_EQ(object.GetPattern(), "");
    const Text pattern = "charset=#引号(\\w+)#引号";
    ASSERT_TRUE(object.Search(pattern, "<meta charset=\"gbk\">", false, true, true, true));
    EXPECT_EQ(object.GetPattern(), "charset=\"(\\w+)\"");
    EXPECT_EQ(object.GetSubmatchText(1, 1), "gbk");
    ASSERT_TRUE(object.Search(pattern, "<meta charset=\"gbk\">"));
    EXPECT_EQ(object.GetPattern(), pattern);
    EXPECT_EQ(object.GetMatchCount(), 0);
}

TEST(RegExpObject, ReplaceRewritesTheLastSubject) {
    const struct {
        const char* pattern;
        const char* subject;
        bool global;
        const char* replacement;
        const char* expected;
    } cases[] = {
        {"a", "banana", true, "o", "bonono"},
        {"a", "banana", false, "o", "bonana"},
        {"a", "banana", true, "", "bnn"},
        {"A", "banana", true, "[$&]", "b[a]n[a]n[a]"},
        {"(\\w+)@(\\w+)", "me@host", true, "$2 at $1", "host at me"},
        {"x", "banana", true, "o", "banana"},
        {"文", "中文字", true, "-", "中-字"},
        {"a", "a", true, "引号", "引号"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.pattern << "' over '" << c.subject << "'");
        RegExpObject object;
        ASSERT_TRUE(object.Search(c.pattern, c.subject, false, true, c.global));
        EXPECT_EQ(object.Replace(c.replacement), c.expected);
    }
    RegExpObject object;
    EXPECT_EQ(object.Replace("x"), "");
    ASSERT_TRUE(object.Search("n", "banana"));
    EXPECT_EQ(object.Replace(), "baaa");
}

TEST(RegExpObject, ReadsBeforeAnySearchAndAfterDestroyAreEmpty) {
    RegExpObject object;
    EXPECT_EQ(object.GetMatchCount(), 0);
    EXPECT_EQ(object.GetSubmatchCount(), 0);
    EXPECT_EQ(object.GetMatchText(1), "");
    EXPECT_EQ(object.GetSubmatchText(1, 1), "");
    EXPECT_EQ(object.Replace(), "");
    object.Reserved();
    ASSERT_TRUE(object.Search("b", "abc"));
    EXPECT_EQ(object.GetMatchCount(), 1);
    object.Destroy();
    EXPECT_EQ(object.GetMatchCount(), 0);
    EXPECT_EQ(object.GetMatchText(1), "");
    EXPECT_EQ(object.GetPattern(), "");
    object.Destroy();
}

TEST(RegExpObject, CopySharesTheResultsAndKeepsItsOwnSubject) {
    RegExpObject original;
    ASSERT_TRUE(original.Search("(\\d)", "a1b2"));
    RegExpObject copy = original.Copy();
    // A new search replaces the original's component, not the copy's.
    ASSERT_TRUE(original.Search("z", "zz"));
    EXPECT_EQ(original.GetMatchCount(), 2);
    EXPECT_EQ(copy.GetMatchCount(), 2);
    int position = -99;
    EXPECT_EQ(copy.GetMatchText(2, &position), "2");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(copy.GetPattern(), "(\\d)");
    EXPECT_EQ(copy.Replace("#"), "a#b#");
    original.Destroy();
    EXPECT_EQ(copy.GetSubmatchText(1, 1), "1");
}

TEST(RegExpObject, LongSubjectsAreRefusedNotRisked) {
    // A page head of 1024 bytes whose meta tag takes nearly all of it.
    const Text head = "<meta " + Text(1000, 'x') + " charset=gbk>";
    RegExpObject object;
    ASSERT_TRUE(object.Search(kCharsetPattern, head));
    EXPECT_EQ(object.GetSubmatchText(1, 1), "gbk");
    EXPECT_EQ(object.Replace("-"), "->");
    // A whole page under the same pattern is beyond what the engine takes:
    // the search fails as for a rejected pattern.
    const Text page = "<meta " + Text(8000, 'x') + " charset=gbk>";
    EXPECT_FALSE(object.Search(kCharsetPattern, page));
    EXPECT_EQ(object.GetMatchCount(), 0);
    EXPECT_EQ(object.Replace("y"), "");
    // Without a repeat, any length will do.
    ASSERT_TRUE(object.Search("x", Text(65536, 'x')));
    EXPECT_EQ(object.GetMatchCount(), 65536);
    // The limit counts UTF-16 units, not bytes.
    Text wide;
    for (int i = 0; i < 1000; ++i) {
        wide += "啊";
    }
    ASSERT_TRUE(object.Search("[^a]+", wide));
    EXPECT_TRUE(object.GetMatchText(1) == wide);
    EXPECT_FALSE(object.Search("[^a]+", Text(wide.size(), 'x')));
}

} // namespace
