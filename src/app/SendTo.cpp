// The Send To handlers. The outcome shown depends only on whether the
// shortcut file is present afterwards, never on the result codes of the
// creation or the deletion.
#include "app/SendTo.h"

#include "app/SendToPath.h"
#include "platform/ComApartment.h"
#include "platform/Shell.h"
#include "platform/WindowServices.h"

namespace {
constexpr int kShowCommandShow = 5; // SW_SHOW
const char kNoticeTitle[] = "提示";
} // namespace

Text StartMenuFolder() {
    Text folder = StartMenuFolderPath();
    if (!folder.empty() && !EndsInBackslash(folder)) {
        folder += '\\';
    }
    return folder;
}

Text SendToShortcutPath() {
    return SendToShortcutPathFor(StartMenuFolder());
}

void CreateSendToShortcut() {
    const Text linkPath = SendToShortcutPath();
    const Text directory = ProgramDirectory();
    // The shell link object is a COM object: it needs the apartment open.
    InitializeCom();
    SaveShellLink(linkPath, directory + "\\" + ProgramFileName(), directory, kShowCommandShow);
    UninitializeCom();
    const bool present = FilePresent(SendToShortcutPath());
    ShowMessage(present ? "成功！" : "失败！", kMessageIconInformation, kNoticeTitle);
}

void RemoveSendToShortcut() {
    DeleteFileAt(SendToShortcutPath());
    const bool present = FilePresent(SendToShortcutPath());
    ShowMessage(present ? "删除失败！" : "删除成功！", kMessageIconInformation, kNoticeTitle);
}
