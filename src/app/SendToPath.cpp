// The Send To path rules, kept apart from the shell so they are tested
// natively. Backslashes are found by the shared search rule, so a
// double-byte character ending in 0x5C is never taken for one.
#include "app/SendToPath.h"

#include "text/TextRules.h"

const char kSendToShortcutName[] = "Sendto\\发送至蓝奏云.lnk";

bool EndsInBackslash(const Text& path) {
    return !path.empty() &&
           FindLastTextWithin(path, "\\", path.size()) == static_cast<int>(path.size());
}

Text ParentFolder(const Text& path) {
    Text rest = path;
    if (EndsInBackslash(rest)) {
        rest.pop_back();
    }
    const int slash = FindLastTextWithin(rest, "\\", rest.size());
    if (slash < 0) {
        return Text();
    }
    return rest.substr(0, static_cast<std::size_t>(slash));
}

Text SendToShortcutPathFor(const Text& startMenuFolder) {
    return ParentFolder(startMenuFolder) + kSendToShortcutName;
}
