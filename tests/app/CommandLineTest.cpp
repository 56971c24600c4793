// Command-line splitting against the lines Explorer and people write: the
// program's name in both forms, quoted and unquoted arguments, quotes in odd
// places, control bytes, and double-byte characters whose second byte looks
// like a separator.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

struct SplitCase {
    const char* line;
    TextArray expected;
};

TEST(SplitCommandLine, FollowsTheFourRules) {
    const SplitCase cases[] = {
        // The program's own name.
        {"", {}},
        {"prog.exe", {}},
        {"prog.exe ", {}},
        {"\"C:\\Program Files\\prog.exe\"", {}},
        {"\"C:\\Program Files\\prog.exe\" a", {"a"}},
        {"\"C:\\a b\\prog.exe\"a", {"a"}},   // no blank after the closing quote
        {"\"C:\\a b\\prog.exe\"  a", {"a"}}, // only one blank is part of the name
        {"\"C:\\a b\\prog.exe", {}},         // unclosed: the name runs to the end
        {"prog.exe a b", {"a", "b"}},
        {"C:\\a\"b\\prog.exe x", {"x"}}, // a quote inside an unquoted name
        {"prog.exe\ta", {}},             // only a blank ends an unquoted name
        // Unquoted and quoted arguments.
        {"prog.exe C:\\f.txt", {"C:\\f.txt"}},
        {"prog.exe \"C:\\my files\\f.txt\"", {"C:\\my files\\f.txt"}},
        {"prog.exe C:\\my files\\f.txt", {"C:\\my", "files\\f.txt"}},
        {"prog.exe \"a\" \"b c\" d", {"a", "b c", "d"}},
        {"prog.exe \"\"", {""}}, // empty quotes make an empty argument
        {"prog.exe \"\" x", {"", "x"}},
        {"prog.exe \"a\"b", {"a", "b"}},           // a quoted argument ends at its quote
        {"prog.exe a\"b c\"d", {"a", "b c", "d"}}, // a quote ends an unquoted one and opens another
        {"prog.exe a\\\"b", {"a\\", "b"}},         // no escape character
        {"prog.exe \"unbalanced", {"unbalanced"}}, // an unclosed quote runs to the end
        {"prog.exe \"", {""}},
        {"prog.exe a\"", {"a", ""}},
        // Separators: every byte below "!".
        {"prog.exe    ", {}},
        {"prog.exe  \t \r\n ", {}},
        {"prog.exe a\tb\rc\nd\x01"
         "e\x1F"
         "f",
         {"a", "b", "c", "d", "e", "f"}},
        {"prog.exe  a   b  ", {"a", "b"}},
        {"prog.exe !a", {"!a"}}, // "!" itself is no separator
        {"prog.exe \x7F", {"\x7F"}},
        // Double-byte characters stay whole.
        {"prog.exe \xB1\xA8\xB8\xE6.txt", {"\xB1\xA8\xB8\xE6.txt"}},
        {"prog.exe a\x81\"b c", {"a\x81\"b", "c"}},     // second byte a quote
        {"prog.exe a\x81 b", {"a\x81 b"}},              // second byte a blank
        {"prog.exe \"x\x81\"y\" z", {"x\x81\"y", "z"}}, // inside quotes too
        {"prog.exe a\x81\tb", {"a\x81\tb"}},            // second byte a control byte
        {"\"C:\\\x81\"\\prog.exe\" a", {"a"}},          // in the quoted program name
        {"C:\\\x81 prog.exe a", {"a"}},                 // in the unquoted program name
        {"prog.exe a\x81", {"a\x81"}},                  // a lead byte at the very end
        {"prog.exe \"a\x81", {"a\x81"}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "line '" << c.line << "'");
        EXPECT_EQ(SplitCommandLine(c.line), c.expected);
    }
}

} // namespace
