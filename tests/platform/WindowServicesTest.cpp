// The window services under Wine with real windows: the controls exist and
// are ordered before the created event runs once, clicks reach handlers
// (also from inside a wait that processes events), closing the window ends
// the loop even while other work runs, texts round-trip, message boxes carry
// their title and are task-modal, and the process facts are the system's.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "app/EventWait.h"
#include "platform/WindowServices.h"
#include "support/OwnWindow.h"

namespace {

HWND HwndOf(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
HWND HwndOf(ControlHandle control) {
    return reinterpret_cast<HWND>(control);
}

// Ends a message loop that would otherwise hang the test: after the deadline
// the loop's thread gets the window closed from outside.
class Watchdog {
public:
    explicit Watchdog(DWORD milliseconds)
        : thread_([this, milliseconds] {
              const ULONGLONG deadline = GetTickCount64() + milliseconds;
              while (!done_ && GetTickCount64() < deadline) {
                  Sleep(10);
              }
              if (!done_) {
                  fired_ = true;
                  HWND window = FindOwnWindow(kMainWindowClassName);
                  if (window != nullptr) {
                      PostMessageA(window, WM_CLOSE, 0, 0);
                  }
              }
          }) {}
    ~Watchdog() {
        done_ = true;
        thread_.join();
    }
    bool Fired() const { return fired_; }

private:
    std::atomic<bool> done_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

struct Observed {
    int createdRuns = 0;
    int clicks = 0;
    std::vector<Text> editNames;
    std::vector<Text> editTexts;
    std::vector<Text> buttonNames;
    Text missingKind;
    bool clickedInsideWait = false;
};
Observed observed;
WindowHandle window = nullptr;

void CountClick() {
    ++observed.clicks;
}

WindowDescription TestWindow(void (*onCreated)()) {
    WindowDescription d;
    d.caption = "测试窗口";
    d.x = 40;
    d.y = 30;
    d.width = 300;
    d.height = 120;
    d.controls = {
        {ControlKind::EditBox, "编辑框1", 0, 0, 50, 20, "一", nullptr},
        {ControlKind::TransparentLabel, "透明标签1", 0, 20, 50, 20, "标签", nullptr},
        {ControlKind::EditBox, "编辑框2", 60, 0, 50, 20, "二", nullptr},
        {ControlKind::Button, "按钮1", 0, 50, 60, 24, "按", CountClick},
        {ControlKind::EditBox, "编辑框3", 120, 0, 50, 20, "", nullptr},
    };
    d.onCreated = onCreated;
    return d;
}

void RecordControlsAndClose() {
    ++observed.createdRuns;
    for (ControlHandle box : FindControlsByKind(window, "编辑框")) {
        observed.editNames.push_back(ControlName(box));
        observed.editTexts.push_back(GetControlText(box));
    }
    for (ControlHandle button : FindControlsByKind(window, "按钮")) {
        observed.buttonNames.push_back(ControlName(button));
    }
    observed.missingKind = FindControlsByKind(window, "图片框").empty() ? "none" : "some";
    // More messages after the event must not run it again.
    PostMessageA(HwndOf(window), WM_NULL, 0, 0);
    PostMessageA(HwndOf(window), WM_CLOSE, 0, 0);
}

TEST(CreateMainWindow, HasEveryControlInStackingOrderWhenTheCreatedEventRunsOnce) {
    observed = Observed();
    Watchdog watchdog(20000);
    window = CreateMainWindow(TestWindow(RecordControlsAndClose));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CreateMainWindow(TestWindow(nullptr)), nullptr) << "one main window at a time";
    RunMessageLoop();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(observed.createdRuns, 1);
    EXPECT_EQ(observed.editNames, (std::vector<Text>{"编辑框3", "编辑框2", "编辑框1"}));
    EXPECT_EQ(observed.editTexts, (std::vector<Text>{"", "二", "一"}));
    EXPECT_EQ(observed.buttonNames, (std::vector<Text>{"按钮1"}));
    EXPECT_EQ(observed.missingKind, "none");
    EXPECT_FALSE(WindowIsOpen(window));
    EXPECT_TRUE(FindControlsByKind(window, "编辑框").empty()) << "a closed window has no controls";
}

void ClickDuringAWaitThenClose() {
    ++observed.createdRuns;
    ControlHandle button = FindControlByName(window, "按钮1");
    PostMessageA(HwndOf(button), BM_CLICK, 0, 0);
    WaitWhileProcessingEvents(200, TickCount, ProcessPendingEvents, WaitForPendingEvents);
    observed.clickedInsideWait = observed.clicks == 1;
    PostMessageA(HwndOf(window), WM_CLOSE, 0, 0);
}

TEST(CreateMainWindow, RunsAButtonsHandlerFromInsideAWaitThatProcessesEvents) {
    observed = Observed();
    Watchdog watchdog(20000);
    window = CreateMainWindow(TestWindow(ClickDuringAWaitThenClose));
    ASSERT_NE(window, nullptr);
    RunMessageLoop();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(observed.clickedInsideWait);
    EXPECT_EQ(observed.clicks, 1);
}

void CloseDuringAWait() {
    ++observed.createdRuns;
    PostMessageA(HwndOf(window), WM_CLOSE, 0, 0);
    WaitWhileProcessingEvents(200, TickCount, ProcessPendingEvents, WaitForPendingEvents);
    observed.clickedInsideWait = !WindowIsOpen(window);
}

TEST(RunMessageLoop, ReturnsWhenTheWindowWasClosedWhileOtherWorkProcessedEvents) {
    observed = Observed();
    Watchdog watchdog(20000);
    window = CreateMainWindow(TestWindow(CloseDuringAWait));
    ASSERT_NE(window, nullptr);
    RunMessageLoop();
    EXPECT_FALSE(watchdog.Fired()) << "the loop went on after its window had closed";
    EXPECT_TRUE(observed.clickedInsideWait);
}

void RoundTripTextsAndClose() {
    ControlHandle box = FindControlByName(window, "编辑框1");
    const Text cases[] = {
        "", "plain", "用户\r\n第二行", "quote\"d", Text(20000, 'x'), "\xB2\xE2\xCA\xD4",
    };
    for (const Text& text : cases) {
        SetControlText(box, text);
        EXPECT_EQ(GetControlText(box), text);
    }
    EXPECT_EQ(ControlName(nullptr), "");
    EXPECT_EQ(GetControlText(nullptr), "");
    SetControlText(nullptr, "ignored");
    EXPECT_EQ(FindControlByName(window, "编辑框9"), nullptr);
    PostMessageA(HwndOf(window), WM_CLOSE, 0, 0);
}

TEST(ControlText, ReplacesAndReadsTheWholeText) {
    Watchdog watchdog(20000);
    window = CreateMainWindow(TestWindow(RoundTripTextsAndClose));
    ASSERT_NE(window, nullptr);
    RunMessageLoop();
    EXPECT_FALSE(watchdog.Fired());
}

struct SeenBox {
    std::string title;
    std::string text;
    HICON icon = nullptr;
    bool ownerEnabled = true;
    bool found = false;
};

// Waits for this process's message box, notes what it shows and whether the
// other window is disabled, and presses OK.
SeenBox ObserveAndDismissMessageBox(HWND other) {
    SeenBox seen;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetTickCount64() < deadline) {
        HWND box = FindOwnWindow("#32770");
        if (box != nullptr) {
            char buffer[256] = {};
            GetWindowTextA(box, buffer, sizeof(buffer));
            seen.title = buffer;
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof(buffer));
            seen.text = buffer;
            EnumChildWindows(
                box,
                [](HWND child, LPARAM parameter) -> BOOL CALLBACK {
                    char name[16] = {};
                    GetClassNameA(child, name, sizeof(name));
                    const LONG style = GetWindowLongA(child, GWL_STYLE);
                    if (Text(name) == "Static" && (style & SS_TYPEMASK) == SS_ICON &&
                        IsWindowVisible(child)) {
                        *reinterpret_cast<HICON*>(parameter) =
                            reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&seen.icon));
            seen.ownerEnabled = IsWindowEnabled(other) != FALSE;
            seen.found = true;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            break;
        }
        Sleep(10);
    }
    return seen;
}

TEST(ShowMessage, IsTaskModalWithTheDefaultOrTheGivenTitle) {
    HWND other = CreateWindowExA(0, "Static", "another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    // The system's information icon is a shared icon: the same handle here.
    HICON information = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION));
    ASSERT_NE(information, nullptr);
    const struct {
        unsigned style;
        const char* title;
        const char* shownTitle;
        HICON icon;
    } cases[] = {
        {0, "", "信息：", nullptr},
        {kMessageIconInformation, "提示", "提示", information},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shownTitle);
        SeenBox seen;
        std::thread watcher([&] { seen = ObserveAndDismissMessageBox(other); });
        ShowMessage("消息正文", c.style, c.title);
        watcher.join();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.title, c.shownTitle);
        EXPECT_EQ(seen.text, "消息正文");
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_FALSE(seen.ownerEnabled) << "the box is not task-modal";
        EXPECT_TRUE(IsWindowEnabled(other));
    }
    DestroyWindow(other);
}

TEST(ProcessFacts, AreTheSystemsOwn) {
    EXPECT_EQ(CommandLineText(), Text(GetCommandLineA()));
    char path[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    const Text directory = ProgramDirectory();
    EXPECT_EQ(directory + "\\" + ProgramFileName(), Text(path));
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    EXPECT_EQ(ProgramFileName(), "platform_window_tests.exe");
}

TEST(TickCount, IsTheSystemTickCounter) {
    const DWORD before = GetTickCount();
    const std::uint32_t ticks = TickCount();
    EXPECT_LE(static_cast<std::uint32_t>(ticks - before), 1000u);
}

} // namespace
