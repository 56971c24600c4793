// Text to UTF-16 and back through code page 936, in both builds.
#include <gtest/gtest.h>

#include "http/Encoding.h"

namespace {

TEST(TextToWide, AddsOneCountedNulUnit) {
    EXPECT_EQ(TextToWide(""), Bytes{});
    EXPECT_EQ(TextToWide("abc"), (Bytes{0x61, 0, 0x62, 0, 0x63, 0, 0, 0}));
    // 引 (GBK D2 FD) is U+5F15: one unit and the NUL unit.
    EXPECT_EQ(TextToWide("引"), (Bytes{0x15, 0x5F, 0, 0}));
    EXPECT_EQ(TextToWide("上传成功"),
              (Bytes{0x0A, 0x4E, 0x20, 0x4F, 0x10, 0x62, 0x9F, 0x52, 0, 0}));
}

TEST(TextToWide, StopsAtAnInnerNul) {
    EXPECT_EQ(TextToWide(Text("a\0b", 3)), (Bytes{0x61, 0, 0, 0}));
}

TEST(WideToText, ReadsUnitsUpToTheFirstNul) {
    const struct {
        Bytes wide;
        const char* expected;
    } cases[] = {
        {{0x61, 0, 0x62, 0}, "ab"},
        {{0x61, 0, 0x62, 0, 0, 0}, "ab"},
        {{0x61, 0, 0, 0, 0x62, 0}, "a"},
        {{0x61, 0, 0x62}, "a"}, // an odd last byte is ignored
        {{0x61}, ""},
        {{}, ""},
        {{0x15, 0x5F, 0xF7, 0x53}, "引号"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "expected '" << c.expected << "'");
        EXPECT_EQ(WideToText(c.wide), c.expected);
    }
}

TEST(Encoding, RoundTripsGbkText) {
    const Text samples[] = {"发送至蓝奏云.lnk", "配置.txt", "C:\\用户\\报告 1.txt", "#引号",
                            "\xA1\xA1"};
    for (const Text& sample : samples) {
        EXPECT_EQ(WideToText(TextToWide(sample)), sample);
    }
}

TEST(WidePointer, IsNullForAnEmptyBuffer) {
    EXPECT_EQ(WidePointer(Bytes{}), nullptr);
    Bytes wide = TextToWide("a");
    EXPECT_EQ(static_cast<const void*>(WidePointer(wide)), static_cast<const void*>(wide.data()));
}

} // namespace
