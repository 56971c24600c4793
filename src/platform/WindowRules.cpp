// The parts of the window services that are plain rules over values, kept
// apart from user32 so that the native build tests them.
#include "platform/WindowServices.h"

#include "text/TextRules.h"

const char kMainWindowClassName[] = "LanzouSendToWindow";
const char kDefaultMessageTitle[] = "信息：";

Text KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::EditBox:
        return "编辑框";
    case ControlKind::TransparentLabel:
        return "透明标签";
    case ControlKind::Button:
        return "按钮";
    }
    return Text();
}

unsigned MessageBoxStyleFor(unsigned style) {
    constexpr unsigned kButtonMask = 0x0F; // MB_TYPEMASK; MB_OK is 0
    style &= ~kButtonMask;
    if ((style & kMessageSystemModal) == 0) {
        style |= kMessageTaskModal;
    }
    return style;
}

void SplitProgramPath(const Text& fullPath, Text& directoryOut, Text& fileNameOut) {
    const int slash = FindLastTextWithin(fullPath, "\\", fullPath.size());
    if (slash < 0) {
        directoryOut.clear();
        fileNameOut = fullPath;
        return;
    }
    const std::size_t at = static_cast<std::size_t>(slash) - 1;
    directoryOut = fullPath.substr(0, at);
    fileNameOut = fullPath.substr(at + 1);
}
