// The component itself: match indexes in UTF-16 units, including characters
// outside the basic plane, which the GBK text cannot carry.
#include <gtest/gtest.h>

#include "regex/RegExpComponent.h"

namespace {

TEST(RegExpComponent, IndexesCountUtf16Units) {
    RegExpComponent component;
    component.global = true;
    component.pattern = u"a";
    const auto matches = component.Execute(u"\u4E2Da\U0001F600a");
    ASSERT_NE(matches, nullptr);
    ASSERT_EQ(matches->size(), 2u);
    EXPECT_EQ((*matches)[0].firstIndex, 1);
    EXPECT_EQ((*matches)[1].firstIndex, 4);
}

TEST(RegExpComponent, DefaultsAreCaseSensitiveSingleLineAndFirstOnly) {
    RegExpComponent component;
    component.pattern = u"^a";
    const auto matches = component.Execute(u"A\na");
    ASSERT_NE(matches, nullptr);
    EXPECT_TRUE(matches->empty());
    component.pattern = u"a";
    EXPECT_EQ(component.Execute(u"aa")->size(), 1u);
    EXPECT_EQ(component.Replace(u"aa", u"b"), u"ba");
}

TEST(RegExpComponent, RejectedPatternGivesNothing) {
    RegExpComponent component;
    component.pattern = u"(";
    EXPECT_EQ(component.Execute(u"a"), nullptr);
    EXPECT_FALSE(component.Replace(u"a", u"b").has_value());
}

std::u16string Nested(int depth, const std::u16string& core) {
    return std::u16string(static_cast<std::size_t>(depth), u'(') + core +
           std::u16string(static_cast<std::size_t>(depth), u')');
}

TEST(RegExpComponent, EngineLimitsGrowWithRepeatedPartsAndNesting) {
    const struct {
        std::u16string pattern;
        std::size_t units;
        bool within;
    } cases[] = {
        {u"<meta.+?charset=[^\\w]?([-\\w]+)", 1024, true},
        {u"<meta.+?charset=[^\\w]?([-\\w]+)", 4096, false},
        {u"x", 1000000, true},
        {u"a{,5}", 1000000, true}, // a literal brace, no repeat
        {Nested(10, u"a") + u"*", 250, true},
        {Nested(10, u"a") + u"*", 1000, false},
        // Brackets inside a class or escaped are no groups.
        {u"[(((((((((((((((((((]*", 1000, true},
        {u"\\(\\(\\(\\(\\(\\(\\(\\(\\(\\(*", 1000, true},
        {Nested(300, u"a"), 1, false},
        {Nested(100, u"a"), 1, true},
        {u"a{100000}", 1, false},
        {u"a{2,3}", 100, true},
        {u"(?:a{1000}){1000}", 1, false},
        {u"a{99999999999999999999}", 1, false},
        {u"", 1000000, true},
        {u"(((", 1000000, true},
        {u")))*", 1000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "pattern of " << c.pattern.size() << " units, subject " << c.units);
        EXPECT_EQ(RegExpComponent::WithinEngineLimits(c.pattern, c.units), c.within);
    }
}

TEST(RegExpComponent, TheLongestRunsWithinTheLimitsComplete) {
    // Each pattern repeats over the whole subject, the deepest run of the
    // engine; at the longest subject the limits allow it must not overflow.
    const std::u16string patterns[] = {
        u"^.+?$",         u"^(a)*$",         u"^" + Nested(12, u"a") + u"*$",
        u"^(?:(?=a)a)+$", u"^(?:b|c|(a))*$", u"^(?:a{3})*$",
    };
    for (const std::u16string& pattern : patterns) {
        std::size_t longest = 0;
        while (longest < 100000 && RegExpComponent::WithinEngineLimits(pattern, longest + 1)) {
            ++longest;
        }
        SCOPED_TRACE(testing::Message()
                     << "pattern of " << pattern.size() << " units, subject " << longest);
        ASSERT_GT(longest, 100u);
        longest -= longest % 3;
        RegExpComponent component;
        component.pattern = pattern;
        const auto matches = component.Execute(std::u16string(longest, u'a'));
        ASSERT_NE(matches, nullptr);
        ASSERT_EQ(matches->size(), 1u);
        EXPECT_EQ((*matches)[0].value.size(), longest);
        EXPECT_EQ(component.Execute(std::u16string(longest + 3, u'a')), nullptr);
    }
}

} // namespace
