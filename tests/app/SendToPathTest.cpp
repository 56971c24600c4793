// The folder rules of the Send To entry.
#include <gtest/gtest.h>

#include "app/SendToPath.h"

namespace {

TEST(ParentFolder, DropsOneTrailingBackslashAndKeepsUpToTheLastOne) {
    const struct {
        const char* path;
        const char* parent;
    } cases[] = {
        {"C:\\Users\\me\\Start Menu\\", "C:\\Users\\me\\"},
        {"C:\\Users\\me\\Start Menu", "C:\\Users\\me\\"},
        {"C:\\Users\\me\\\\", "C:\\Users\\me\\"}, // only one trailing backslash is dropped
        {"C:\\", ""},
        {"C:\\a", "C:\\"},
        {"\\", ""},
        {"\\\\", "\\"},
        {"name", ""},
        {"", ""},
        // A double-byte character whose second byte is 0x5C is no backslash.
        {"C:\\\x95\x5C", "C:\\"},
        {"C:\\a\\\x95\x5C\\", "C:\\a\\"},
        {"\x95\x5C", ""},
        {"C:\\\xB2\xE2\xCA\xD4\\b", "C:\\\xB2\xE2\xCA\xD4\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.path << "'");
        EXPECT_EQ(ParentFolder(c.path), c.parent);
    }
}

TEST(EndsInBackslash, CountsOnlyARealBackslash) {
    EXPECT_TRUE(EndsInBackslash("C:\\"));
    EXPECT_TRUE(EndsInBackslash("\\"));
    EXPECT_FALSE(EndsInBackslash(""));
    EXPECT_FALSE(EndsInBackslash("C:"));
    EXPECT_FALSE(EndsInBackslash("C:\\\x95\x5C"));
    EXPECT_TRUE(EndsInBackslash("C:\\\x95\x5C\\"));
}

TEST(SendToShortcutPathFor, PutsTheShortcutBesideTheStartMenu) {
    EXPECT_EQ(
        SendToShortcutPathFor("C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\"),
        "C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Sendto\\发送至蓝奏云.lnk");
    // Without a Start Menu folder the path is relative.
    EXPECT_EQ(SendToShortcutPathFor(""), "Sendto\\发送至蓝奏云.lnk");
}

} // namespace
