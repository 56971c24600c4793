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

} // namespace
