// Cookie text: what an answer's Set-Cookie lines contribute, how sent and
// returned cookies merge, and the list helpers the merge is made of.
#include <gtest/gtest.h>

#include "http/Cookies.h"

namespace {

TEST(CollectCookies, TakesTheNameValuePartOfSetCookieLines) {
    const struct {
        TextArray lines;
        const char* expected;
    } cases[] = {
        {{"HTTP/1.1 200 OK", "Set-Cookie: a=1; path=/; secure", "Set-Cookie: b=2", ""}, "a=1; b=2"},
        // The name before ": " must be exactly Set-Cookie.
        {{"set-cookie: a=1", "Set-Cookie:a=1", "X-Set-Cookie: c=3"}, ""},
        {{"Set-Cookie: ; path=/"}, ""},
        {{"Set-Cookie: ; path=/", "Set-Cookie: b=2"}, "; b=2"},
        {{}, ""},
        {{"HTTP/1.1 302 Found", "Location: /"}, ""},
        {{"Set-Cookie: a=1;"}, "a=1"},
        {{"Set-Cookie: flag"}, "flag"},
        // Without a semicolon every "Set-Cookie:" goes, in any case.
        {{"Set-Cookie: x=Set-Cookie:y"}, "x=y"},
        {{"Set-Cookie: x=set-cookie:y"}, "x=y"},
        // Blanks are the space and the ideographic space; a tab stays.
        {{"Set-Cookie: \xA1\xA1 a=1 \xA1\xA1"}, "a=1"},
        {{"Set-Cookie: a=1\t"}, "a=1\t"},
        {{"Set-Cookie: \xD6\xD0=\xCE\xC4; path=/"}, "\xD6\xD0=\xCE\xC4"},
        {{"Set-Cookie: a=1; expires=Thu, 01 Jan 1970 00:00:00 GMT",
          "Set-Cookie: b=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT"},
         "a=1; b=deleted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "expected '" << c.expected << "'");
        Text returned;
        CollectCookies(c.lines, returned);
        EXPECT_EQ(returned, c.expected);
    }
}

TEST(CollectCookies, KeepsWhatTheCallerPassedAsItemsOfTheirOwn) {
    const struct {
        const char* before;
        TextArray lines;
        const char* expected;
    } cases[] = {
        {"x=0", {"Set-Cookie: a=1"}, "x=0; a=1"},
        {"x=0; ", {"Set-Cookie: a=1"}, "x=0; a=1"},
        {"x=0", {}, "x=0"},
        {"x=0; ", {}, "x=0"},
        {"x=0", {"Location: /"}, "x=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.before << "'");
        Text returned = c.before;
        CollectCookies(c.lines, returned);
        EXPECT_EQ(returned, c.expected);
    }
}

TEST(MergeCookies, AnswerCookiesWinDeletionsGoSentOnesStay) {
    const struct {
        const char* sent;
        const char* returned;
        const char* merged;
        const char* returnedAfter;
    } cases[] = {
        {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3; c=4"},
        {"a=1; b=2", "b=deleted", "a=1", "b=deleted"},
        {"a=1; a=2", "", "a=1", ""},
        {"", "a=1; a=2", "a=1; a=2", "a=1; a=2"},
        {"", "a=1; a=1", "a=1", "a=1; a=1"},
        {" a=1; b=2;", "", "a=1; b=2", ""},
        {"a=1; b=2", " c=3; ", "c=3; a=1; b=2", "c=3; "},
        {"a=1; b=2", "c=3;", "c=3; a=1; b=2", "c=3; "},
        // Only "; " separates: this is one item named a.
        {"a=1;b=2", "a=5", "a=5", "a=5"},
        {"a=1;b=2", "", "a=1;b=2", ""},
        {"a=1", "a=deleted", "", "a=deleted"},
        {"x=deleted; y=1", "", "y=1", ""},
        {"=deleted; y=1", "", "y=1", ""},
        {"a=xdeleted", "", "a=xdeleted", ""},
        // Names are trimmed and compared exactly.
        {" a = 1 ", "a=2", "a=2", "a=2"},
        {"A=1", "a=2", "a=2; A=1", "a=2"},
        {"flag; a=1", "flag", "flag; a=1", "flag"},
        {"a=1; ; b=2", "", "a=1; ; b=2", ""},
        {"a=1; b=2; a=1", "", "a=1; b=2", ""},
        {"\xA1\xA1\xD6\xD0=1\xA1\xA1", "", "\xD6\xD0=1", ""},
        {"", "", "", ""},
        {"  ", ";", "", "; "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.sent << "' + '" << c.returned << "'");
        Text sent = c.sent;
        Text returned = c.returned;
        const Text merged = MergeCookies(sent, returned);
        EXPECT_EQ(merged, c.merged);
        EXPECT_EQ(sent, c.merged);
        EXPECT_EQ(returned, c.returnedAfter);
    }
}

TEST(MergeCookies, ManyCookiesMergeLikeFew) {
    // An answer may set thousands of cookies; the merge must keep them all
    // in order and still let each replace its sent namesake.
    Text sent;
    Text returned;
    for (int i = 0; i < 20000; ++i) {
        sent += "s" + std::to_string(i) + "=old; ";
        returned += (i % 2 ? "s" : "r") + std::to_string(i) + "=new; ";
    }
    const Text merged = MergeCookies(sent, returned);
    EXPECT_EQ(merged.substr(0, 24), "r0=new; s1=new; r2=new; ");
    EXPECT_EQ(merged.substr(merged.size() - 22), "s19996=old; s19998=old");
    EXPECT_EQ(merged.find("s1=old"), Text::npos);
}

TEST(CookieName, IsWhatPrecedesTheFirstEqualsSignTrimmed) {
    const struct {
        const char* item;
        const char* name;
    } cases[] = {
        {"a=1", "a"},     {" a =1", "a"},     {"a=b=c", "a"},
        {"flag", "flag"}, {" flag ", "flag"}, {"=1", ""},
        {"", ""},         {"a\t=1", "a\t"},   {"\xA1\xA1\xD6\xD0=1", "\xD6\xD0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.item << "'");
        EXPECT_EQ(CookieName(c.item), c.name);
    }
}

TEST(HasCookieNamed, ComparesTheNamesExactly) {
    const TextArray items = {"a=1", " b =2", "flag"};
    EXPECT_TRUE(HasCookieNamed(items, "a"));
    EXPECT_TRUE(HasCookieNamed(items, "b"));
    EXPECT_TRUE(HasCookieNamed(items, "flag"));
    EXPECT_FALSE(HasCookieNamed(items, "A"));
    EXPECT_FALSE(HasCookieNamed(items, "a=1"));
    EXPECT_FALSE(HasCookieNamed(items, ""));
    EXPECT_FALSE(HasCookieNamed({}, "a"));
    EXPECT_TRUE(HasCookieNamed({"=x"}, ""));
}

TEST(RemoveDuplicateItems, KeepsTheFirstOfEachItem) {
    const struct {
        const char* text;
        const char* separator;
        const char* expected;
    } cases[] = {
        {"a=1; a=1", "; ", "a=1"},
        {"a=1; a=2", "; ", "a=1; a=2"},
        {"b; a; b; c; a", "; ", "b; a; c"},
        {"; a; ", "; ", "; a"},
        {"a,b,a,,", ",", "a,b,"},
        {"a; A", "; ", "a; A"},
        {"", "; ", ""},
        {"abc", "", "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' '" << c.separator << "'");
        EXPECT_EQ(RemoveDuplicateItems(c.text, c.separator), c.expected);
    }
}

TEST(IndexOfItem, GivesTheOneBasedIndexOfTheFirstEqualItem) {
    const TextArray items = {"a", "b", "a", ""};
    EXPECT_EQ(IndexOfItem(items, "a"), 1);
    EXPECT_EQ(IndexOfItem(items, "b"), 2);
    EXPECT_EQ(IndexOfItem(items, ""), 4);
    EXPECT_EQ(IndexOfItem(items, "A"), -1);
    EXPECT_EQ(IndexOfItem({}, "a"), -1);
}

} // namespace
