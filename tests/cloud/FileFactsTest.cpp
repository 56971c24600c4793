// The file facts against real files in a temporary directory, under Wine.
#include <gtest/gtest.h>

#include "cloud/FileFacts.h"
#include "platform/FileSystem.h"

#include <windows.h>

#include <string>

namespace {

class FileFactsTest : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        dir_ = Text(temp) + "cloud-facts-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const Text& path : made_) {
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA((dir_ + "\\sub").c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    Text Write(const Text& name, std::size_t size) {
        Text path = dir_ + "\\" + name;
        HANDLE file =
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        std::string bytes(size, 'x');
        DWORD written = 0;
        if (size > 0) {
            WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
        }
        CloseHandle(file);
        made_.push_back(path);
        return path;
    }

    Text dir_;
    std::vector<Text> made_;
};

TEST_F(FileFactsTest, SizesRoundUpToKilobytes) {
    const struct {
        std::size_t bytes;
        std::int32_t kilobytes;
    } cases[] = {{0, 0}, {1, 1}, {1024, 1}, {1025, 2}, {1500, 2}, {2048, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes << " bytes");
        EXPECT_EQ(FileSizeInKb(Write("f" + std::to_string(c.bytes) + ".bin", c.bytes)),
                  c.kilobytes);
    }
}

TEST_F(FileFactsTest, ModifiedTimeIsLocalDateAndTime) {
    Text path = Write("dated.txt", 3);
    // 00:09 on 5 March 2021 local time, written back as the file's time.
    SYSTEMTIME local = {};
    local.wYear = 2021;
    local.wMonth = 3;
    local.wDay = 5;
    local.wMinute = 9;
    FILETIME localTime, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
    EXPECT_EQ(FileModifiedTime(path), "2021-03-05 00:09:00");
}

TEST_F(FileFactsTest, NothingThereADirectoryAndALockedFile) {
    Text missing = dir_ + "\\missing.txt";
    EXPECT_EQ(FileSizeInKb(missing), -1);
    EXPECT_EQ(FileModifiedTime(missing), "");
    EXPECT_EQ(FileNameOf(missing), "missing.txt");

    Text sub = dir_ + "\\sub";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_EQ(FileSizeInKb(sub), 0);
    EXPECT_EQ(FileModifiedTime(sub), "");
    EXPECT_EQ(FileNameOf(sub), "sub");

    Text locked = Write("locked.txt", 10);
    HANDLE holder =
        CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileModifiedTime(locked), "");
    EXPECT_EQ(FileSizeInKb(locked), 1); // the lookup needs no open
    ReadOnlyFile reader(locked);
    EXPECT_FALSE(reader.IsOpen());
    CloseHandle(holder);
    EXPECT_NE(FileModifiedTime(locked), "");
}

TEST_F(FileFactsTest, NonAsciiNames) {
    Text path = Write("报告.txt", 1500);
    EXPECT_EQ(FileSizeInKb(path), 2);
    EXPECT_EQ(FileModifiedTime(path).size(), 19u);
    EXPECT_EQ(FileNameOf(path), "报告.txt");
}

TEST(FileNameOf, TakesTheLastComponent) {
    const struct {
        Text path;
        Text name;
    } cases[] = {
        {"C:\\a\\b.txt", "b.txt"},
        {"b.txt", "b.txt"},
        {"C:\\a\\", ""},
        {"C:\\a\\报告.txt", "报告.txt"},
        {"C:\\a b\\c d.txt", "c d.txt"},
        {"C:\\a\\乗", "乗"}, // GBK 81 5C ends in a 0x5C byte
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("path '" + c.path + "'");
        EXPECT_EQ(FileNameOf(c.path), c.name);
    }
}

TEST_F(FileFactsTest, ReadOnlyFileReadsTheWholeFile) {
    Text path = Write("whole.bin", 40000);
    ReadOnlyFile file(path);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Length(), 40000);
    std::string buffer(50000, '\0');
    EXPECT_EQ(file.Read(reinterpret_cast<unsigned char*>(buffer.data()), buffer.size()), 40000u);
    EXPECT_EQ(buffer.substr(0, 40000), std::string(40000, 'x'));
    ReadOnlyFile missing(dir_ + "\\missing.bin");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Length(), -1);
}

} // namespace
