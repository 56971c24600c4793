// gui_driver: drives windows of other processes for the end-to-end tests.
// It runs inside the same Wine session as the program under test, reads one
// command per line on standard input and answers each on standard output.
//
// Lines are UTF-8; fields are separated by TAB. In both directions a field
// may carry the escapes \\ \t \r \n (so a text can hold any of them).
// Window handles are hexadecimal ("0x1a2b"); a class or title of "*" matches
// any. Every wait takes a deadline in milliseconds and fails when it passes.
//
// Each command answers one line, "ok" followed by its fields, or
// "error<TAB>message". List commands answer "ok<TAB>n" and then n lines.
//
//   start <commandLine> [<directory>]       start a program with exactly that command line
//                                           -> ok <pid>
//   wait-exit <pid> <ms>                    wait until a program started here ends
//                                           -> ok <exitCode>
//   kill <pid>                              end a program started here
//   wait-idle <pid> <ms>                    wait until a program started here waits for input
//                                           with nothing queued (WaitForInputIdle): its
//                                           window's created event has run up to its first
//                                           processing of events
//   wait-window <class> <title> <ms> [<pid>]
//                                           a visible top-level window with that class and
//                                           title (of that process) -> ok <hwnd>
//   windows [<pid>]                         visible top-level windows (of that process)
//                                           -> list of <hwnd> <class> <title> <pid>
//   wait-gone <hwnd> <ms>                   wait until the window no longer exists
//   exists <hwnd> / enabled <hwnd> / visible <hwnd>   -> ok 1|0
//   rect <hwnd>                             outer rectangle on the screen (GetWindowRect)
//                                           -> ok <x> <y> <width> <height>
//   client <hwnd>                           client area: origin on the screen and size
//                                           -> ok <x> <y> <width> <height>
//   children <hwnd>                         direct child windows in stacking order
//                                           -> list of <hwnd> <class> <id> <x> <y> <width>
//                                              <height> <style> <exStyle> <visible> <enabled>
//                                              <text>   (rectangle in the parent's client
//                                              area, styles in hex, text by WM_GETTEXT)
//   child <hwnd> <id>                       the child with that control id -> ok <hwnd>
//   get-text <hwnd>                         WM_GETTEXT -> ok <text>
//   set-text <hwnd> <text>                  WM_SETTEXT, replacing the whole text
//   type <hwnd> <text>                      sends WM_CHAR for each character, as typing does
//   click <hwnd>                            posts BM_CLICK and returns at once (use it when
//                                           the click opens a message box)
//   click-wait <hwnd> <ms>                  sends BM_CLICK; returns once the handler returned
//   wait-message <ms> [<pid>]               a visible message box (class #32770)
//                                           -> ok <hwnd> <title> <text> <icon> <buttons>
//                                              (icon 1 when the box shows one; buttons are
//                                              the visible buttons' texts joined by "|")
//   message <hwnd>                          the same description of a given box
//   dismiss <hwnd> <ms>                     press the box's OK (or only) button and wait
//                                           until the box is gone
//   close <hwnd>                            posts WM_CLOSE
//   read-link <path>                        opens a shell link with the shell link object
//                                           -> ok <target> <arguments> <workingDirectory>
//                                              <showCommand>
//   quit                                    end the driver (end of input does too)
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    return utf8;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            const char next = field[++i];
            switch (next) {
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            default:
                out += next;
                break;
            }
        } else {
            out += field[i];
        }
    }
    return out;
}

void Answer(const Fields& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += '\t';
        }
        line += i == 0 ? fields[i] : Escape(fields[i]);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) {
    throw Failure{message};
}

std::string Hex(std::uintptr_t value) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%lx", static_cast<unsigned long>(value));
    return buffer;
}

std::string Number(long long value) {
    return std::to_string(value);
}

HWND ParseWindow(const std::string& field) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(field.c_str(), &end, 16);
    if (end == field.c_str() || *end != '\0') {
        Fail("not a window handle: " + field);
    }
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(value));
}

long ParseNumber(const std::string& field) {
    char* end = nullptr;
    const long value = std::strtol(field.c_str(), &end, 10);
    if (end == field.c_str() || *end != '\0') {
        Fail("not a number: " + field);
    }
    return value;
}

const std::string& Field(const Fields& fields, std::size_t index) {
    if (index >= fields.size()) {
        Fail("missing argument " + Number(static_cast<long long>(index)) + " of " + fields[0]);
    }
    return fields[index];
}

// Polls a condition until it holds or the deadline passes.
template <typename Condition> bool WaitFor(long milliseconds, Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(10);
    }
}

std::string ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return Utf8(buffer);
}

std::string TitleOf(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return Utf8(buffer);
}

constexpr UINT kSendTimeout = 10000;

// A control's text across processes needs WM_GETTEXT.
std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout,
                             &length)) {
        Fail("window does not answer WM_GETTEXTLENGTH");
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeout, &copied)) {
        Fail("window does not answer WM_GETTEXT");
    }
    text.resize(copied);
    return Utf8(text);
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevelWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    if (IsWindowVisible(window) && (search->pid == 0 || ProcessOf(window) == search->pid)) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Matches(const std::string& pattern, const std::string& value) {
    return pattern == "*" || pattern == value;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr && children.size() < 10000;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

Fields DescribeMessageBox(HWND box) {
    std::string text;
    bool icon = false;
    std::string buttons;
    for (HWND child : Children(box)) {
        if (!IsWindowVisible(child)) {
            continue;
        }
        const std::string className = ClassOf(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) { // the text's static
            text = TextOf(child);
        } else if (className == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
            // The box keeps its icon control, empty, when it shows no icon.
            icon = icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
        } else if (className == "Button") {
            buttons += (buttons.empty() ? "" : "|") + TextOf(child);
        }
    }
    return {
        "ok",   Hex(reinterpret_cast<std::uintptr_t>(box)), TitleOf(box), text, icon ? "1" : "0",
        buttons};
}

std::map<DWORD, HANDLE> startedProcesses;

void ListAnswer(const std::vector<Fields>& rows) {
    Answer({"ok", Number(static_cast<long long>(rows.size()))});
    for (const Fields& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += (i > 0 ? "\t" : "") + Escape(row[i]);
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    std::fflush(stdout);
}

void Run(const Fields& fields) {
    const std::string& command = fields[0];
    if (command == "start") {
        std::wstring line = Wide(Field(fields, 1));
        std::wstring directory = fields.size() > 2 ? Wide(fields[2]) : std::wstring();
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
            Fail("CreateProcess failed with " + Number(GetLastError()));
        }
        CloseHandle(process.hThread);
        startedProcesses[process.dwProcessId] = process.hProcess;
        Answer({"ok", Number(process.dwProcessId)});
    } else if (command == "wait-exit" || command == "kill") {
        const DWORD pid = static_cast<DWORD>(ParseNumber(Field(fields, 1)));
        auto found = startedProcesses.find(pid);
        if (found == startedProcesses.end()) {
            Fail("no program with that pid was started here");
        }
        if (command == "kill") {
            TerminateProcess(found->second, 1);
        }
        const long wait = command == "kill" ? 10000 : ParseNumber(Field(fields, 2));
        if (WaitForSingleObject(found->second, static_cast<DWORD>(wait)) != WAIT_OBJECT_0) {
            Fail("the program is still running");
        }
        DWORD code = 0;
        GetExitCodeProcess(found->second, &code);
        CloseHandle(found->second);
        startedProcesses.erase(found);
        Answer({"ok", Number(code)});
    } else if (command == "wait-idle") {
        const DWORD pid = static_cast<DWORD>(ParseNumber(Field(fields, 1)));
        auto found = startedProcesses.find(pid);
        if (found == startedProcesses.end()) {
            Fail("no program with that pid was started here");
        }
        if (WaitForInputIdle(found->second, static_cast<DWORD>(ParseNumber(Field(fields, 2)))) !=
            0) {
            Fail("the program did not become idle");
        }
        Answer({"ok"});
    } else if (command == "wait-window") {
        const std::string& className = Field(fields, 1);
        const std::string& title = Field(fields, 2);
        const long wait = ParseNumber(Field(fields, 3));
        const DWORD pid = fields.size() > 4 ? static_cast<DWORD>(ParseNumber(fields[4])) : 0;
        HWND found = nullptr;
        WaitFor(wait, [&] {
            for (HWND window : TopLevelWindows(pid)) {
                if (Matches(className, ClassOf(window)) && Matches(title, TitleOf(window))) {
                    found = window;
                    return true;
                }
            }
            return false;
        });
        if (found == nullptr) {
            Fail("no such window appeared");
        }
        Answer({"ok", Hex(reinterpret_cast<std::uintptr_t>(found))});
    } else if (command == "windows") {
        const DWORD pid = fields.size() > 1 ? static_cast<DWORD>(ParseNumber(fields[1])) : 0;
        std::vector<Fields> rows;
        for (HWND window : TopLevelWindows(pid)) {
            rows.push_back({Hex(reinterpret_cast<std::uintptr_t>(window)), ClassOf(window),
                            TitleOf(window), Number(ProcessOf(window))});
        }
        ListAnswer(rows);
    } else if (command == "wait-gone") {
        HWND window = ParseWindow(Field(fields, 1));
        if (!WaitFor(ParseNumber(Field(fields, 2)), [&] { return !IsWindow(window); })) {
            Fail("the window is still there");
        }
        Answer({"ok"});
    } else if (command == "exists" || command == "enabled" || command == "visible") {
        HWND window = ParseWindow(Field(fields, 1));
        bool value = IsWindow(window) != FALSE;
        if (command == "enabled") {
            value = value && IsWindowEnabled(window);
        } else if (command == "visible") {
            value = value && IsWindowVisible(window);
        }
        Answer({"ok", value ? "1" : "0"});
    } else if (command == "rect" || command == "client") {
        HWND window = ParseWindow(Field(fields, 1));
        RECT r{};
        if (command == "rect") {
            if (!GetWindowRect(window, &r)) {
                Fail("no such window");
            }
        } else {
            if (!GetClientRect(window, &r)) {
                Fail("no such window");
            }
            MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        }
        Answer({"ok", Number(r.left), Number(r.top), Number(r.right - r.left),
                Number(r.bottom - r.top)});
    } else if (command == "children") {
        HWND parent = ParseWindow(Field(fields, 1));
        if (!IsWindow(parent)) {
            Fail("no such window");
        }
        std::vector<Fields> rows;
        for (HWND child : Children(parent)) {
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
            rows.push_back({Hex(reinterpret_cast<std::uintptr_t>(child)), ClassOf(child),
                            Number(GetDlgCtrlID(child)), Number(r.left), Number(r.top),
                            Number(r.right - r.left), Number(r.bottom - r.top),
                            Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE))),
                            Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE))),
                            IsWindowVisible(child) ? "1" : "0", IsWindowEnabled(child) ? "1" : "0",
                            TextOf(child)});
        }
        ListAnswer(rows);
    } else if (command == "child") {
        HWND child = GetDlgItem(ParseWindow(Field(fields, 1)),
                                static_cast<int>(ParseNumber(Field(fields, 2))));
        if (child == nullptr) {
            Fail("no child with that id");
        }
        Answer({"ok", Hex(reinterpret_cast<std::uintptr_t>(child))});
    } else if (command == "get-text") {
        Answer({"ok", TextOf(ParseWindow(Field(fields, 1)))});
    } else if (command == "set-text") {
        const std::wstring text = Wide(Field(fields, 2));
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(ParseWindow(fields[1]), WM_SETTEXT, 0,
                                 reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                                 kSendTimeout, &result)) {
            Fail("window does not answer WM_SETTEXT");
        }
        Answer({"ok"});
    } else if (command == "type") {
        HWND window = ParseWindow(Field(fields, 1));
        for (wchar_t unit : Wide(Field(fields, 2))) {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(window, WM_CHAR, unit, 1, SMTO_ABORTIFHUNG, kSendTimeout,
                                     &result)) {
                Fail("window does not answer WM_CHAR");
            }
        }
        Answer({"ok"});
    } else if (command == "click") {
        if (!PostMessageW(ParseWindow(Field(fields, 1)), BM_CLICK, 0, 0)) {
            Fail("cannot post to that window");
        }
        Answer({"ok"});
    } else if (command == "click-wait") {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(ParseWindow(Field(fields, 1)), BM_CLICK, 0, 0, SMTO_NORMAL,
                                 static_cast<UINT>(ParseNumber(Field(fields, 2))), &result)) {
            Fail("the click's handler did not return in time");
        }
        Answer({"ok"});
    } else if (command == "wait-message") {
        const long wait = ParseNumber(Field(fields, 1));
        const DWORD pid = fields.size() > 2 ? static_cast<DWORD>(ParseNumber(fields[2])) : 0;
        HWND found = nullptr;
        WaitFor(wait, [&] {
            for (HWND window : TopLevelWindows(pid)) {
                if (ClassOf(window) == "#32770") {
                    found = window;
                    return true;
                }
            }
            return false;
        });
        if (found == nullptr) {
            Fail("no message box appeared");
        }
        Answer(DescribeMessageBox(found));
    } else if (command == "message") {
        Answer(DescribeMessageBox(ParseWindow(Field(fields, 1))));
    } else if (command == "dismiss") {
        HWND box = ParseWindow(Field(fields, 1));
        HWND button = GetDlgItem(box, IDOK);
        if (button == nullptr) {
            for (HWND child : Children(box)) {
                if (ClassOf(child) == "Button" && IsWindowVisible(child)) {
                    button = child;
                    break;
                }
            }
        }
        if (button == nullptr) {
            Fail("the box has no button");
        }
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        if (!WaitFor(ParseNumber(Field(fields, 2)), [&] { return !IsWindow(box); })) {
            Fail("the box is still there");
        }
        Answer({"ok"});
    } else if (command == "close") {
        if (!PostMessageW(ParseWindow(Field(fields, 1)), WM_CLOSE, 0, 0)) {
            Fail("cannot post to that window");
        }
        Answer({"ok"});
    } else if (command == "read-link") {
        const std::wstring path = Wide(Field(fields, 1));
        IShellLinkW* link = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link)))) {
            Fail("no shell link object");
        }
        IPersistFile* file = nullptr;
        Fields answer;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t target[MAX_PATH * 4] = {};
            wchar_t arguments[MAX_PATH * 4] = {};
            wchar_t directory[MAX_PATH * 4] = {};
            int show = 0;
            link->GetPath(target, MAX_PATH * 4, nullptr, SLGP_RAWPATH);
            link->GetArguments(arguments, MAX_PATH * 4);
            link->GetWorkingDirectory(directory, MAX_PATH * 4);
            link->GetShowCmd(&show);
            answer = {"ok", Utf8(target), Utf8(arguments), Utf8(directory), Number(show)};
        }
        if (file != nullptr) {
            file->Release();
        }
        link->Release();
        if (answer.empty()) {
            Fail("cannot load the link");
        }
        Answer(answer);
    } else {
        Fail("unknown command " + command);
    }
}

} // namespace

int main() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    CoInitialize(nullptr);
    std::string line;
    int c;
    for (;;) {
        line.clear();
        while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
            line += static_cast<char>(c);
        }
        if (c == EOF && line.empty()) {
            break;
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        Fields fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(Unescape(line.substr(start, tab - start)));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
        if (fields[0] == "quit") {
            Answer({"ok"});
            break;
        }
        try {
            Run(fields);
        } catch (const Failure& failure) {
            Answer({"error", failure.message});
        }
    }
    for (auto& [pid, handle] : startedProcesses) {
        CloseHandle(handle);
    }
    CoUninitialize();
    return 0;
}
