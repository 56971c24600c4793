// The window services over user32 and kernel32. The main window and its
// controls are ANSI windows, so their texts are Text (GBK) bytes as they are.
// Edit boxes and buttons are the system's own Edit and Button controls, and
// the labels Static controls that paint no background, so that assistive
// tools and scripts see the controls they expect.
#include "platform/WindowServices.h"

#include <windows.h>

#include <cstdlib>

namespace {

// The private message that runs the created event from the message loop,
// once the caller of CreateMainWindow holds the window's handle.
constexpr UINT kRunCreatedEvent = WM_APP + 1;

struct ControlEntry {
    HWND handle;
    ControlKind kind;
    Text name;
    void (*onClick)();
};

// The one main window and its controls, in the order they were created.
struct MainWindowState {
    HWND handle = nullptr;
    bool open = false;
    bool createdEventRan = false;
    void (*onCreated)() = nullptr;
    std::vector<ControlEntry> controls;
    HFONT font = nullptr;
};

MainWindowState mainWindow;

const ControlEntry* EntryFor(HWND handle) {
    for (const ControlEntry& entry : mainWindow.controls) {
        if (entry.handle == handle) {
            return &entry;
        }
    }
    return nullptr;
}

HWND HandleOf(ControlHandle control) {
    return reinterpret_cast<HWND>(control);
}

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRunCreatedEvent:
        if (!mainWindow.createdEventRan) {
            mainWindow.createdEventRan = true;
            if (mainWindow.onCreated != nullptr) {
                mainWindow.onCreated();
            }
        }
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
            const ControlEntry* entry = EntryFor(reinterpret_cast<HWND>(lParam));
            if (entry != nullptr && entry->kind == ControlKind::Button &&
                entry->onClick != nullptr) {
                entry->onClick();
            }
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC: {
        // A transparent label draws its text over whatever lies beneath it:
        // the parent's background shows through because nothing is filled.
        const ControlEntry* entry = EntryFor(reinterpret_cast<HWND>(lParam));
        if (entry != nullptr && entry->kind == ControlKind::TransparentLabel) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        break;
    }
    case WM_DESTROY:
        mainWindow.open = false;
        return 0;
    case WM_NCDESTROY: {
        // The controls are gone: forget them, so that a closed window's
        // handle finds nothing and a new main window can be made.
        HFONT font = mainWindow.font;
        mainWindow = MainWindowState();
        if (font != nullptr) {
            DeleteObject(font);
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HFONT MessageFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        if (HFONT font = CreateFontIndirectA(&metrics.lfMessageFont)) {
            return font;
        }
    }
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND CreateControl(HWND parent, const ControlDescription& control, int id, HFONT font) {
    const char* className = "Static";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extendedStyle = 0;
    switch (control.kind) {
    case ControlKind::EditBox:
        // Multi-line so that a text holding a line break keeps it, as the
        // settings file can carry one; the password box is not masked.
        className = "Edit";
        style |= WS_TABSTOP | ES_LEFT | ES_MULTILINE | ES_AUTOHSCROLL;
        extendedStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::TransparentLabel:
        className = "Static";
        style |= SS_LEFT | SS_NOPREFIX;
        extendedStyle = WS_EX_TRANSPARENT;
        break;
    case ControlKind::Button:
        className = "Button";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
    }
    HWND handle = CreateWindowExA(extendedStyle, className, control.text.c_str(), style, control.x,
                                  control.y, control.width, control.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (handle != nullptr) {
        SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return handle;
}

} // namespace

WindowHandle CreateMainWindow(const WindowDescription& description) {
    if (mainWindow.handle != nullptr) {
        return nullptr;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MainWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClassName;
    if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    // A fixed-size window: the controls sit at fixed places.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND handle = CreateWindowExA(0, kMainWindowClassName, description.caption.c_str(), style,
                                  description.x, description.y, description.width,
                                  description.height, nullptr, nullptr, instance, nullptr);
    if (handle == nullptr) {
        return nullptr;
    }
    mainWindow.handle = handle;
    mainWindow.open = true;
    mainWindow.onCreated = description.onCreated;
    mainWindow.font = MessageFont();
    int id = kFirstControlId;
    for (const ControlDescription& control : description.controls) {
        HWND child = CreateControl(handle, control, id++, mainWindow.font);
        if (child == nullptr) {
            DestroyWindow(handle);
            mainWindow = MainWindowState();
            return nullptr;
        }
        mainWindow.controls.push_back({child, control.kind, control.name, control.onClick});
    }
    ShowWindow(handle, SW_SHOWNORMAL);
    UpdateWindow(handle);
    PostMessageA(handle, kRunCreatedEvent, 0, 0);
    return reinterpret_cast<WindowHandle>(handle);
}

void RunMessageLoop() {
    // The loop ends on the window's own state rather than on WM_QUIT: a
    // quit message could be taken out of the queue by ProcessPendingEvents
    // during long work, and the program must still end when its window closes.
    MSG message;
    while (mainWindow.open) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool WindowIsOpen(WindowHandle window) {
    return window != nullptr && reinterpret_cast<HWND>(window) == mainWindow.handle &&
           mainWindow.open;
}

void RegisterExitRoutine(void (*routine)()) {
    if (routine != nullptr) {
        std::atexit(routine);
    }
}

std::vector<ControlHandle> FindControlsByKind(WindowHandle window, const Text& kindName) {
    std::vector<ControlHandle> found;
    if (window == nullptr || reinterpret_cast<HWND>(window) != mainWindow.handle) {
        return found;
    }
    for (auto entry = mainWindow.controls.rbegin(); entry != mainWindow.controls.rend(); ++entry) {
        if (KindName(entry->kind) == kindName) {
            found.push_back(reinterpret_cast<ControlHandle>(entry->handle));
        }
    }
    return found;
}

ControlHandle FindControlByName(WindowHandle window, const Text& name) {
    if (window == nullptr || reinterpret_cast<HWND>(window) != mainWindow.handle) {
        return nullptr;
    }
    for (const ControlEntry& entry : mainWindow.controls) {
        if (entry.name == name) {
            return reinterpret_cast<ControlHandle>(entry.handle);
        }
    }
    return nullptr;
}

Text ControlName(ControlHandle control) {
    const ControlEntry* entry = EntryFor(HandleOf(control));
    return entry != nullptr ? entry->name : Text();
}

Text GetControlText(ControlHandle control) {
    HWND handle = HandleOf(control);
    if (handle == nullptr || !IsWindow(handle)) {
        return Text();
    }
    const int length = GetWindowTextLengthA(handle);
    if (length <= 0) {
        return Text();
    }
    // The length may be an upper bound for double-byte text; keep what was copied.
    Text text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(handle, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void SetControlText(ControlHandle control, const Text& text) {
    HWND handle = HandleOf(control);
    if (handle != nullptr && IsWindow(handle)) {
        SetWindowTextA(handle, text.c_str());
    }
}

std::uint32_t TickCount() {
    return GetTickCount();
}

void WaitForPendingEvents(std::uint32_t maxMilliseconds) {
    MsgWaitForMultipleObjectsEx(0, nullptr, maxMilliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void ShowMessage(const Text& text, unsigned style, const Text& title) {
    const Text& shownTitle = title.empty() ? Text(kDefaultMessageTitle) : title;
    MessageBoxA(nullptr, text.c_str(), shownTitle.c_str(), MessageBoxStyleFor(style));
}

Text CommandLineText() {
    const char* line = GetCommandLineA();
    return line != nullptr ? Text(line) : Text();
}

namespace {

Text ProgramPath() {
    // Long paths do not fit MAX_PATH; grow until the whole path fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        Text path(size, '\0');
        const DWORD copied = GetModuleFileNameA(nullptr, path.data(), size);
        if (copied == 0) {
            return Text();
        }
        if (copied < size) {
            path.resize(copied);
            return path;
        }
    }
    return Text();
}

} // namespace

Text ProgramDirectory() {
    Text directory;
    Text fileName;
    SplitProgramPath(ProgramPath(), directory, fileName);
    return directory;
}

Text ProgramFileName() {
    Text directory;
    Text fileName;
    SplitProgramPath(ProgramPath(), directory, fileName);
    return fileName;
}
