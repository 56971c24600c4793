// The upload body read back by a real multipart parser (Python's own MIME
// parser, through multipart_fields.py): every field comes out as it went in,
// also for content that holds the template's delimiter line.
#include <gtest/gtest.h>

#include "cloud/UploadForm.h"
#include "text/TextRules.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

const Text D = "-----------------------------81971010215309";

std::string Hex(const Text& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

struct ParsedField {
    std::string fileName; // hex, "-" when the part has none
    std::string value;    // hex
};

// The fields the parser finds, by hex name; false when it fails.
bool Parse(const Bytes& body, const Text& contentType,
           std::multimap<std::string, ParsedField>& out) {
    const std::string path = testing::TempDir() + "upload-body-" + std::to_string(getpid());
    {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(body.data()),
                   static_cast<std::streamsize>(body.size()));
    }
    const std::string command =
        "python3 '" MULTIPART_SCRIPT "' '" + path + "' '" + contentType + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    std::string output;
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        output.append(chunk, n);
    }
    int status = pclose(pipe);
    std::remove(path.c_str());
    if (status != 0) {
        return false;
    }
    for (const Text& line : SplitText(output, "\n")) {
        TextArray columns = SplitText(line, "\t");
        if (columns.size() == 2) {
            columns.push_back(""); // an empty value after the final tab
        }
        if (columns.size() != 3) {
            return false;
        }
        out.emplace(columns[0], ParsedField{columns[1], columns[2]});
    }
    return true;
}

Text ContentTypeOf(const Text& delimiter) {
    return "multipart/form-data; boundary=" + delimiter.substr(2);
}

std::string Field(const std::multimap<std::string, ParsedField>& fields, const Text& name) {
    auto found = fields.find(Hex(name));
    return found == fields.end() ? "(missing)" : found->second.value;
}

Text Binary() {
    Text bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    return bytes;
}

TEST(UploadBodyParsed, EveryFieldComesBackAsItWentIn) {
    const struct {
        const char* name;
        Text content;
    } cases[] = {
        {"text", "hello\r\n"},
        {"empty", ""},
        {"every byte value", Binary() + "\r\r\n\n"},
        {"placeholders", "[文件名][数据]"},
        {"the delimiter line inside", "line 1\r\n" + D + "\r\nline 2\r\n"},
        {"the delimiter at the start", D + "\r\nrest"},
        {"the delimiter after a bare LF", "a\n" + D + "\nb"},
        {"the closing delimiter inside", "a\r\n" + D + "--\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes content = BytesOf(c.content);
        BytesContent source(content);
        UploadBody body =
            BuildUploadBody({"2718281", "2021-03-05 00:09:00", "1", "报告.txt"}, source);
        std::multimap<std::string, ParsedField> fields;
        ASSERT_TRUE(Parse(body.bytes, ContentTypeOf(body.delimiter), fields));
        EXPECT_EQ(Field(fields, "task"), Hex("1"));
        EXPECT_EQ(Field(fields, "folder_id"), Hex("2718281"));
        EXPECT_EQ(Field(fields, "id"), Hex("WU_FILE_0"));
        EXPECT_EQ(Field(fields, "name"), Hex("\xE6\x8A\xA5\xE5\x91\x8A.txt"));
        EXPECT_EQ(Field(fields, "type"), Hex("application/octet-stream"));
        EXPECT_EQ(Field(fields, "lastModifiedDate"), Hex("2021-03-05 00:09:00"));
        EXPECT_EQ(Field(fields, "size"), Hex("1"));
        ASSERT_EQ(fields.count(Hex("upload_file")), 1u);
        const ParsedField& file = fields.find(Hex("upload_file"))->second;
        EXPECT_EQ(file.fileName, Hex("\xE6\x8A\xA5\xE5\x91\x8A.txt"));
        EXPECT_EQ(file.value, Hex(c.content));
    }
}

TEST(UploadBodyParsed, TheTemplatesOwnDelimiterWouldCutSuchContent) {
    // The parser is strict enough to show the fault the new delimiter mends.
    const Text content = "line 1\r\n" + D + "\r\nline 2\r\n";
    Bytes bytes = BytesOf(content);
    BytesContent source(bytes);
    UploadBody body = BuildUploadBody({"1", "t", "1", "a.txt"}, source);
    ASSERT_NE(body.delimiter, D);
    Text unmended = ReplaceAll(Text(body.bytes.begin(), body.bytes.end()), body.delimiter, D);
    std::multimap<std::string, ParsedField> fields;
    ASSERT_TRUE(Parse(BytesOf(unmended), ContentTypeOf(D), fields));
    EXPECT_NE(Field(fields, "upload_file"), Hex(content));
}

} // namespace
