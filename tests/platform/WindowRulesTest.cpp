// The plain rules of the window services: kind names, the message box style
// and the split of the program's path.
#include <gtest/gtest.h>

#include "platform/WindowServices.h"

namespace {

TEST(KindName, NamesTheKindsOfTheWindowDescription) {
    EXPECT_EQ(KindName(ControlKind::EditBox), "编辑框");
    EXPECT_EQ(KindName(ControlKind::TransparentLabel), "透明标签");
    EXPECT_EQ(KindName(ControlKind::Button), "按钮");
}

TEST(MessageBoxStyleFor, GivesOneOkButtonAndTaskModalUnlessSystemModal) {
    const struct {
        unsigned asked;
        unsigned shown;
    } cases[] = {
        {0, 0x2000},
        {0x40, 0x2040}, // information icon, as the Send To messages use
        {0x30, 0x2030},
        {0x1000, 0x1000}, // system-modal stays so
        {0x1040, 0x1040},
        {0x2000, 0x2000},
        {0x01, 0x2000},        // OK and Cancel becomes OK alone
        {0x04 | 0x40, 0x2040}, // Yes/No becomes OK
        {0x0F | 0x1000, 0x1000},
        {0x100, 0x2100}, // other bits stay
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.asked);
        EXPECT_EQ(MessageBoxStyleFor(c.asked), c.shown);
    }
}

TEST(DefaultMessageTitle, IsTheSystemsOwnText) {
    EXPECT_STREQ(kDefaultMessageTitle, "信息：");
}

TEST(SplitProgramPath, SplitsAtTheLastRealBackslash) {
    const struct {
        const char* path;
        const char* directory;
        const char* fileName;
    } cases[] = {
        {"C:\\tools\\lanzou-sendto.exe", "C:\\tools", "lanzou-sendto.exe"},
        {"C:\\a b\\c d\\p.exe", "C:\\a b\\c d", "p.exe"},
        {"C:\\p.exe", "C:", "p.exe"},
        {"p.exe", "", "p.exe"},
        {"", "", ""},
        {"C:\\\xB2\xE2\xCA\xD4\\\xB3\xCC.exe", "C:\\\xB2\xE2\xCA\xD4", "\xB3\xCC.exe"},
        {"C:\\d\\\x95\x5C.exe", "C:\\d", "\x95\x5C.exe"}, // 0x5C as a second byte
        {"\\\\server\\share\\p.exe", "\\\\server\\share", "p.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Text directory = "old";
        Text fileName = "old";
        SplitProgramPath(c.path, directory, fileName);
        EXPECT_EQ(directory, c.directory);
        EXPECT_EQ(fileName, c.fileName);
    }
}

} // namespace
