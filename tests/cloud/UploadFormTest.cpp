// The upload form: the template, the replacements and the body built from
// them, including the change of delimiter for content that holds the
// template's own delimiter line.
#include <gtest/gtest.h>

#include "FormLines.h"
#include "cloud/UploadForm.h"
#include "text/TextRules.h"

#include <string>

namespace {

const Text D = "-----------------------------81971010215309";

Text TextOf(const Bytes& bytes) {
    return Text(bytes.begin(), bytes.end());
}

UploadBody Build(const UploadFormFields& fields, const Text& content) {
    Bytes bytes = BytesOf(content);
    BytesContent source(bytes);
    return BuildUploadBody(fields, source);
}

const Text kUtf8Report = "\xE6\x8A\xA5\xE5\x91\x8A.txt"; // 报告.txt in UTF-8

TEST(UploadFormTemplate, IsTheWebUploadersForm) {
    EXPECT_EQ(UploadFormTemplate.size(), 954u);
    EXPECT_EQ(UploadFormTemplate, JoinedLines(FormLines(D, "[目录ID]", "[文件名]", "[修改时间]",
                                                        "[文件大小]", "[数据]")));
    EXPECT_EQ(UploadFormTemplate.substr(954 - 45), "\r\n" + D);
    EXPECT_EQ(SplitText(UploadFormTemplate, "\r\n").size(), 34u);
    EXPECT_EQ(kUploadFormDelimiter, D);
}

TEST(UploadHeaderLines, NameTheBoundaryAndTheBrowser) {
    EXPECT_EQ(UploadHeaderLines(D),
              "Content-Type: multipart/form-data; boundary=---------------------------"
              "81971010215309\r\nUser-Agent: Mozilla/5.0 (Windows NT 6.1; Win64; x64; rv:70.0) "
              "Gecko/20100101 Firefox/70.0");
}

TEST(ReplaceTextPairs, AppliesThePairsInOrder) {
    const struct {
        const char* name;
        Text result;
        Text expected;
    } cases[] = {
        {"ASCII letters folded", ReplaceTextPairs("x[目录id]y", "[目录ID]", "7"), "x7y"},
        {"every occurrence", ReplaceTextPairs("a-a-A", "a", "b"), "b-b-b"},
        {"no rescan of inserted text", ReplaceTextPairs("ab", "a", "aa"), "aab"},
        {"a later pair sees an earlier replacement",
         ReplaceTextPairs("[1]", "[1]", "[2]", "[2]", "two"), "two"},
        {"an earlier pair does not see a later one",
         ReplaceTextPairs("[1]", "[2]", "two", "[1]", "[2]"), "[2]"},
        {"an empty find changes nothing", ReplaceTextPairs("abc", "", "x", "b", "B"), "aBc"},
        {"no pairs", ReplaceTextPairs("abc"), "abc"},
        {"five pairs", ReplaceTextPairs("12345", "1", "a", "2", "b", "3", "c", "4", "d", "5", "e"),
         "abcde"},
        // 乗 is GBK 81 5C: the backslash-like byte inside it is not matched.
        {"no match on a second byte", ReplaceTextPairs("\x81\x5c\\", "\\", "/"), "\x81\x5c/"},
        {"GBK case is not folded", ReplaceTextPairs("\xA3\xC1", "\xA3\xE1", "x"), "\xA3\xC1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
}

TEST(TextToUtf8, ConvertsGbkText) {
    const struct {
        Text text;
        Text utf8;
    } cases[] = {
        {"", ""},
        {"abc.txt", "abc.txt"},
        {"报告.txt", kUtf8Report},
        {"上传成功", "\xE4\xB8\x8A\xE4\xBC\xA0\xE6\x88\x90\xE5\x8A\x9F"},
        {"　", "\xE3\x80\x80"}, // ideographic space
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("text '" + c.text + "'");
        EXPECT_EQ(TextOf(TextToUtf8(c.text)), c.utf8);
    }
}

TEST(TextToUtf8, NeverEndsTheProgram) {
    // A lone lead byte, bytes outside GBK, NULs: some result, no fault.
    const Text odd[] = {"\x81", "a\xff", Text("\0\0", 2), "\x80\x80\x80", Text(100000, '\xB0')};
    for (const Text& text : odd) {
        Bytes utf8 = TextToUtf8(text);
        EXPECT_LE(utf8.size(), text.size() * 4);
    }
}

TEST(ReplaceBytes, ReplacesExactBytes) {
    const struct {
        const char* name;
        Text bytes, find, replacement, expected;
    } cases[] = {
        {"every occurrence", "a[x]b[x]", "[x]", "1", "a1b1"},
        {"exact case", "[X][x]", "[x]", "1", "[X]1"},
        {"no rescan", "[x]", "[x]", "[x][x]", "[x][x]"},
        {"empty find", "abc", "", "z", "abc"},
        {"empty replacement", "a[x]b", "[x]", "", "ab"},
        {"NUL bytes", Text("\0[x]\0", 5), "[x]", "y", Text("\0y\0", 3)},
        {"any byte may start a match", "\x81[x]", "[x]", "y", "\x81y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextOf(ReplaceBytes(BytesOf(c.bytes), BytesOf(c.find), BytesOf(c.replacement))),
                  c.expected);
    }
}

TEST(BuildUploadBody, FillsTheTemplate) {
    const struct {
        const char* name;
        UploadFormFields fields;
        Text content;
        Text expected;
    } cases[] = {
        {"a named file",
         {"2718281", "2021-03-05 00:09:00", "2", "报告.txt"},
         Text(1500, 'x'),
         JoinedLines(
             FormLines(D, "2718281", kUtf8Report, "2021-03-05 00:09:00", "2", Text(1500, 'x')))},
        {"an empty file and folder",
         {"", "2021-03-05 00:09:00", "0", "empty.bin"},
         "",
         JoinedLines(FormLines(D, "", "empty.bin", "2021-03-05 00:09:00", "0", ""))},
        {"placeholders inside the content are left alone",
         {"1", "t", "1", "a.txt"},
         "[文件名][数据][目录ID]",
         JoinedLines(FormLines(D, "1", "a.txt", "t", "1", "[文件名][数据][目录ID]"))},
        {"binary content",
         {"1", "t", "1", "a.bin"},
         Text("\0\r\n\xff\r", 5),
         JoinedLines(FormLines(D, "1", "a.bin", "t", "1", Text("\0\r\n\xff\r", 5)))},
        {"a folder ID holding the other placeholders has them filled",
         {"[修改时间]/[文件大小]/[文件名]/[数据]", "t", "9", "报告.txt"},
         "DATA",
         JoinedLines(FormLines(D, "t/9/" + kUtf8Report + "/DATA", kUtf8Report, "t", "9", "DATA"))},
        {"content holding other delimiter-shaped lines",
         {"1", "t", "1", "a.txt"},
         "\r\n-----------------------------81971010215308\r\n"
         "\r\n----------------------------81971010215309\r\n",
         JoinedLines(FormLines(D, "1", "a.txt", "t", "1",
                               "\r\n-----------------------------81971010215308\r\n"
                               "\r\n----------------------------81971010215309\r\n"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UploadBody body = Build(c.fields, c.content);
        EXPECT_EQ(TextOf(body.bytes), c.expected);
        EXPECT_EQ(body.delimiter, D);
        EXPECT_EQ(TextOf(body.bytes).substr(body.bytes.size() - 14), "81971010215309");
    }
}

TEST(BuildUploadBody, UnreadableContentGoesInEmpty) {
    Bytes bytes = BytesOf("never read");
    BytesContent unreadable(bytes, false);
    UploadBody body = BuildUploadBody({"1", "", "-1", "gone.txt"}, unreadable);
    EXPECT_EQ(TextOf(body.bytes), JoinedLines(FormLines(D, "1", "gone.txt", "", "-1", "")));
}

// Content that announces more than it then delivers, like a file that
// shrinks while it is read.
class ShortContent : public UploadContent {
public:
    std::int64_t Length() override { return 100; }
    std::size_t ReadInto(unsigned char* destination, std::size_t) override {
        destination[0] = 'a';
        destination[1] = 'b';
        return 2;
    }
};

TEST(BuildUploadBody, AShortReadKeepsTheFormWhole) {
    ShortContent content;
    UploadBody body = BuildUploadBody({"[数据]", "t", "1", "a"}, content);
    EXPECT_EQ(TextOf(body.bytes), JoinedLines(FormLines(D, "ab", "a", "t", "1", "ab")));
}

TEST(BuildUploadBody, ContentHoldingTheDelimiterGetsAnotherOne) {
    const Text next = "-----------------------------81971010215310";
    const struct {
        const char* name;
        Text content;
        Text delimiter;
    } cases[] = {
        {"the delimiter line inside", "a\r\n" + D + "\r\nb", next},
        {"the delimiter at the start", D + "\r\n", next},
        {"the delimiter at the end", "a\r\n" + D, next},
        {"the delimiter without a line break before it", "x" + D + "y", next},
        {"inside a longer run of dashes", "\r\n--" + D + "--\r\n", next},
        {"the next candidate is taken too", D + "\r\n" + next,
         "-----------------------------81971010215311"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UploadBody body = Build({"7", "t", "1", "a.txt"}, c.content);
        EXPECT_EQ(body.delimiter, c.delimiter);
        EXPECT_EQ(TextOf(body.bytes),
                  JoinedLines(FormLines(c.delimiter, "7", "a.txt", "t", "1", c.content)));
        EXPECT_EQ(FindText(c.content, body.delimiter), -1);
        EXPECT_EQ(ItemAt(SplitText(UploadHeaderLines(body.delimiter), "\r\n"), 1),
                  "Content-Type: multipart/form-data; boundary=" + c.delimiter.substr(2));
    }
}

TEST(BuildUploadBody, ANewDelimiterAvoidsTheFolderIdToo) {
    const Text next = "-----------------------------81971010215310";
    UploadBody body = Build({next, "t", "1", "a.txt"}, D);
    EXPECT_EQ(body.delimiter, "-----------------------------81971010215311");
}

} // namespace
