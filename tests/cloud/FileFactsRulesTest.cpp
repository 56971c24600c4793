// The portable rules of the file facts: rounding to kilobytes and the name
// of a path's last component.
#include <gtest/gtest.h>

#include "cloud/FileFacts.h"

#include <cstdint>
#include <limits>

namespace {

TEST(KilobytesFromLowSize, RoundsUpTheAbsoluteValue) {
    const struct {
        std::int32_t lowSize;
        std::int32_t kilobytes;
    } cases[] = {
        {0, 0},
        {1, 1},
        {1023, 1},
        {1024, 1},
        {1025, 2},
        {1500, 2},
        {2048, 2},
        {2049, 3},
        {std::numeric_limits<std::int32_t>::max(), 2097152},
        // Sizes of 2 GiB and more read as negative numbers.
        {std::numeric_limits<std::int32_t>::min(), 2097152},
        {-1, 1},
        {-1025, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "low size " << c.lowSize);
        EXPECT_EQ(KilobytesFromLowSize(c.lowSize), c.kilobytes);
    }
}

TEST(NameFromLastComponent, IsEmptyOnlyForATrailingBackslash) {
    const struct {
        Text component;
        Text name;
    } cases[] = {
        {"b.txt", "b.txt"},
        {"报告.txt", "报告.txt"},
        {"a\\", ""},
        {"\\", ""},
        {"", ""},
        {"a/", "a/"},
        // 乗 is GBK 81 5C: its second byte is not a backslash.
        {"\x81\x5c", "\x81\x5c"},
        {"x\x81\x5c\\", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("component '" + c.component + "'");
        EXPECT_EQ(NameFromLastComponent(c.component), c.name);
    }
}

} // namespace
