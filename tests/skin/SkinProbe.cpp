// skin_probe: looks at the running program from another process for the skin
// tests. One command per run, its answer on standard output:
//
//   wait-window <ms>        the program's main window -> ok <pid> <x> <y> <w> <h>
//                           (client area's origin on the screen and its size)
//   record <pid>            the skin library's attach record of that process
//                           -> ok <field>=<value>... | none
//   hover <id>              moves the mouse pointer onto the centre of a control
//   press <id> <0|1>        shows a button pressed or released (BM_SETSTATE)
//   click <id>              posts BM_CLICK to a control
//   set-text <id> <text>    replaces a control's text (the text is GBK)
//   wait-message <ms>       a visible message box -> ok <hwnd> <x> <y> <w> <h>
//   dismiss <hwnd>          presses the box's OK button
//   close                   posts WM_CLOSE to the main window
//
// Control ids are those of the window description (the first control 1001).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "skin/SkinLibrary.h"

namespace {

const char kMainClass[] = "LanzouSendToWindow";

HWND MainWindow() {
    HWND window = FindWindowA(kMainClass, nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

struct MessageSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM param) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        reinterpret_cast<MessageSearch*>(param)->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND MessageBoxWindow() {
    MessageSearch search;
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Find> HWND WaitFor(Find find, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = find()) {
            return window;
        }
        if (GetTickCount() - start > milliseconds) {
            return nullptr;
        }
        Sleep(50); // polling another process's windows: there is nothing to wait on
    }
}

void PrintClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    std::printf(" %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
}

HWND Control(const char* id) {
    HWND main = MainWindow();
    return main ? GetDlgItem(main, std::atoi(id)) : nullptr;
}

int Fail(const char* why) {
    std::printf("error %s\n", why);
    return 1;
}

int Record(DWORD pid) {
    std::string name = SKIN_RECORD_SECTION_PREFIX + std::to_string(pid);
    HANDLE section = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (section == nullptr) {
        std::printf("none\n");
        return 0;
    }
    const auto* record = static_cast<const SkinAttachRecord*>(
        MapViewOfFile(section, FILE_MAP_READ, 0, 0, sizeof(SkinAttachRecord)));
    if (record == nullptr || record->magic != SKIN_RECORD_MAGIC) {
        return Fail("unreadable record");
    }
    std::printf("ok attaches=%u detaches=%u calls=%u skin=%u length=%u password=%u hue=%d "
                "saturation=%d brightness=%d result=%d hash=%u themed=%u\n",
                record->processAttaches, record->processDetaches, record->calls, record->lastSkin,
                record->lastLength, record->lastPassword, record->lastHue, record->lastSaturation,
                record->lastBrightness, record->lastResult, record->lastSkinHash,
                record->themedWindows);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Fail("no command");
    }
    const std::string command = argv[1];
    const char* arg = argc > 2 ? argv[2] : "";
    if (command == "wait-window") {
        HWND window = WaitFor(MainWindow, static_cast<DWORD>(std::atoi(arg)));
        if (!window) {
            return Fail("no main window");
        }
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        std::printf("ok %lu", pid);
        PrintClient(window);
        return 0;
    }
    if (command == "record") {
        return Record(static_cast<DWORD>(std::strtoul(arg, nullptr, 10)));
    }
    if (command == "wait-message") {
        HWND box = WaitFor(MessageBoxWindow, static_cast<DWORD>(std::atoi(arg)));
        if (!box) {
            return Fail("no message box");
        }
        std::printf("ok %lu", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(box)));
        PrintClient(box);
        return 0;
    }
    if (command == "dismiss") {
        HWND box = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(arg, nullptr, 10)));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        std::printf("ok\n");
        return 0;
    }
    if (command == "close") {
        HWND main = MainWindow();
        if (!main) {
            return Fail("no main window");
        }
        PostMessageA(main, WM_CLOSE, 0, 0);
        std::printf("ok\n");
        return 0;
    }
    HWND control = Control(arg);
    if (!control) {
        return Fail("no such control");
    }
    if (command == "hover") {
        RECT rect;
        GetWindowRect(control, &rect);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    } else if (command == "press") {
        SendMessageA(control, BM_SETSTATE, argc > 3 && std::atoi(argv[3]) != 0, 0);
    } else if (command == "set-text") {
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argc > 3 ? argv[3] : ""));
    } else if (command == "click") {
        PostMessageA(control, BM_CLICK, 0, 0);
    } else {
        return Fail("unknown command");
    }
    std::printf("ok\n");
    return 0;
}
