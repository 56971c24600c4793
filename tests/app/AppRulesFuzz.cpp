// Feeds arbitrary command lines, stored values and paths to the shell's
// rules: none may read outside its text, and each result keeps the shape its
// callers rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/CommandLine.h"
#include "app/SendToPath.h"
#include "app/SettingsText.h"
#include "text/TextRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Text input(reinterpret_cast<const char*>(data), size);

    // Arguments are pieces of the line and never longer than it together.
    std::size_t total = 0;
    for (const Text& argument : SplitCommandLine(input)) {
        total += argument.size();
        if (input.find(argument) == Text::npos) {
            std::abort();
        }
    }
    if (total > input.size()) {
        std::abort();
    }

    // An escaped value holds no quote, and a box text without marks comes back.
    const Text escaped = EscapeSettingValue(input);
    if (FindText(escaped, "\"") != -1) {
        std::abort();
    }
    if (FindText(input, "><br><") == -1 && FindText(input, "#引号") == -1 &&
        UnescapeSettingValue(escaped) != input) {
        std::abort();
    }

    // The parent folder is a prefix of the path ending in a backslash.
    const Text parent = ParentFolder(input);
    if (!parent.empty() && (input.compare(0, parent.size(), parent) != 0 ||
                            !EndsInBackslash(parent) || parent.size() >= input.size())) {
        std::abort();
    }
    return 0;
}
