// The skin library in a real window under Wine: the program's own main window
// (its description, with the handlers left out) is built, the library is
// loaded from memory by our loader or by the system's, and what it does is
// observed on the window: its procedures, its styles and its pixels.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "memmodule/MemoryModule.h"
#include "platform/WindowServices.h"
#include "skin/CarriedSkin.h"
#include "skin/SkinAttach.h"
#include "skin/SkinLibrary.h"

extern const unsigned char kEncryptedSkinBytes[];
extern const std::size_t kEncryptedSkinSize;
extern const unsigned char kTexturedSkinBytes[];
extern const std::size_t kTexturedSkinSize;

namespace {

using AttachFunction = std::int32_t(__stdcall*)(const void*, std::int32_t, const char*,
                                                std::int32_t, std::int32_t, std::int32_t);
using RecordFunction = const SkinAttachRecord*(__stdcall*)();

enum class Loader { Memory, System };

const int kButton1 = kFirstControlId + 6, kButton3 = kFirstControlId + 8;
const int kEdit1 = kFirstControlId, kLabel1 = kFirstControlId + 3;

void PumpMessages() {
    // Painting is done once nothing more is queued.
    MSG message;
    for (int round = 0; round < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++round) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

COLORREF PixelOf(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    HDC dc = GetDC(window);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

bool IsBlue(COLORREF c) {
    return GetBValue(c) > GetRValue(c) + 60 && GetBValue(c) > GetGValue(c) + 20;
}

bool IsGrey(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return std::max({r, g, b}) - std::min({r, g, b}) < 16;
}

// What the timer saw of the message box while it was up.
struct SeenBox {
    HWND box = nullptr;
    LONG okStyle = -1;
    COLORREF corner = 0, okFace = 0;
    int ticks = 0;
};
SeenBox seen;

BOOL CALLBACK InspectMessageBox(HWND w, LPARAM) {
    char name[16] = {};
    GetClassNameA(w, name, sizeof name);
    if (std::strcmp(name, "#32770") != 0 || !IsWindowVisible(w)) {
        return TRUE;
    }
    seen.box = w;
    HWND ok = GetDlgItem(w, IDOK);
    seen.okStyle = GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK;
    RECT client;
    GetClientRect(w, &client);
    seen.corner = PixelOf(w, 2, client.bottom - 3);
    seen.okFace = PixelOf(ok, 6, 6);
    // Enter goes through the dialog's own keyboard handling to its default button.
    PostMessageA(w, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(w, WM_KEYUP, VK_RETURN, 0);
    return FALSE;
}

void CALLBACK LookForMessageBox(HWND, UINT, UINT_PTR, DWORD) {
    if (seen.box != nullptr) {
        return;
    }
    if (++seen.ticks > 200) { // 10 s: give up, and end the box's modal loop
        PostQuitMessage(0);
        return;
    }
    EnumThreadWindows(GetCurrentThreadId(), InspectMessageBox, 0);
}

class SkinLibraryTest : public testing::TestWithParam<Loader> {
protected:
    void SetUp() override {
        WindowDescription description = MainWindowDescription();
        description.onCreated = nullptr;
        for (ControlDescription& control : description.controls) {
            control.onClick = nullptr;
        }
        window = reinterpret_cast<HWND>(CreateMainWindow(description));
        ASSERT_NE(window, nullptr);
        PumpMessages();
        if (GetParam() == Loader::Memory) {
            ASSERT_TRUE(module.LoadFromMemory(SkinLibraryImage()));
            attach = reinterpret_cast<AttachFunction>(module.GetExportAddress("SkinH_AttachRes"));
            auto getRecord =
                reinterpret_cast<RecordFunction>(module.GetExportAddress("SkinH_GetAttachRecord"));
            ASSERT_NE(getRecord, nullptr);
            record = getRecord();
        } else {
            library = LoadLibraryA("lanzou-skin.dll");
            ASSERT_NE(library, nullptr);
            attach = reinterpret_cast<AttachFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "SkinH_AttachRes")));
            auto getRecord = reinterpret_cast<RecordFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "SkinH_GetAttachRecord")));
            ASSERT_NE(getRecord, nullptr);
            record = getRecord();
        }
        ASSERT_NE(attach, nullptr);
        ASSERT_EQ(record->magic, SKIN_RECORD_MAGIC);
        EXPECT_EQ(record->processAttaches, 1u);
    }

    void TearDown() override { DestroyWindow(window); }

    HWND Control(int id) const { return GetDlgItem(window, id); }

    std::int32_t Attach(const Bytes& skin, const char* password = nullptr, std::int32_t hue = 0,
                        std::int32_t saturation = 0, std::int32_t brightness = 0) {
        return attach(skin.data(), static_cast<std::int32_t>(skin.size()), password, hue,
                      saturation, brightness);
    }

    // What the theme changes: procedures, the buttons' style, three pixels.
    struct Look {
        LONG_PTR frameProcedure, editProcedure, labelProcedure;
        LONG buttonStyle;
        COLORREF background, buttonFace, editInside;
        bool operator==(const Look&) const = default;
    };

    Look LookNow() {
        return {GetWindowLongPtrA(window, GWLP_WNDPROC),
                GetWindowLongPtrA(Control(kEdit1), GWLP_WNDPROC),
                GetWindowLongPtrA(Control(kLabel1), GWLP_WNDPROC),
                GetWindowLongA(Control(kButton1), GWL_STYLE) & BS_TYPEMASK,
                PixelOf(window, 124, 100),
                PixelOf(Control(kButton1), 10, 8),
                PixelOf(Control(kEdit1), 10, 8)};
    }

    HWND window = nullptr;
    MemoryModule module;
    HMODULE library = nullptr;
    AttachFunction attach = nullptr;
    const SkinAttachRecord* record = nullptr;
};

TEST_P(SkinLibraryTest, AttachThemesTheWindowAndItsControls) {
    const Look before = LookNow();
    EXPECT_TRUE(IsGrey(before.buttonFace));
    EXPECT_EQ(before.buttonStyle, BS_PUSHBUTTON);

    const Bytes& skin = SkinFile();
    ASSERT_EQ(Attach(skin, nullptr, 12, 12, 12), 1);
    EXPECT_EQ(record->calls, 1u);
    EXPECT_EQ(record->lastSkin, reinterpret_cast<std::uintptr_t>(skin.data()));
    EXPECT_EQ(record->lastLength, skin.size());
    EXPECT_EQ(record->lastPassword, 0u);
    EXPECT_EQ(record->lastHue, 12);
    EXPECT_EQ(record->lastResult, 1);
    EXPECT_EQ(record->themedWindows, 10u) << "the window and its nine controls";

    const Look after = LookNow();
    EXPECT_NE(after.frameProcedure, before.frameProcedure);
    EXPECT_NE(after.editProcedure, before.editProcedure);
    EXPECT_NE(after.labelProcedure, before.labelProcedure);
    EXPECT_EQ(after.buttonStyle, BS_OWNERDRAW);
    EXPECT_TRUE(IsBlue(after.buttonFace));
    EXPECT_EQ(after.editInside, RGB(255, 255, 255));
    EXPECT_NE(after.background, before.background);
    EXPECT_TRUE(IsBlue(PixelOf(window, 190, 1))) << "the accent stripe";

    // The controls still work as controls.
    SetWindowTextA(Control(kEdit1), "账号 abc");
    char text[32] = {};
    GetWindowTextA(Control(kEdit1), text, sizeof text);
    EXPECT_STREQ(text, "账号 abc");
}

TEST_P(SkinLibraryTest, PressedAndDefaultStatesAreDrawn) {
    ASSERT_EQ(Attach(SkinFile(), nullptr, 12, 12, 12), 1);
    HWND button = Control(kButton3);
    const COLORREF normal = PixelOf(button, 10, 10);
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    const COLORREF pressed = PixelOf(button, 10, 10);
    SendMessageA(button, BM_SETSTATE, FALSE, 0);
    EXPECT_LT(GetRValue(pressed) + GetGValue(pressed) + GetBValue(pressed),
              GetRValue(normal) + GetGValue(normal) + GetBValue(normal) - 30);
    EXPECT_EQ(PixelOf(button, 10, 10), normal);

    // A dialog that makes the button its default keeps it owner-drawn.
    SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
    SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON,
              DLGC_UNDEFPUSHBUTTON);
}

// Unreadable input of every kind: 0, nothing themed, nothing changed.
TEST_P(SkinLibraryTest, UnreadableInputReturnsZeroAndLeavesTheWindowAlone) {
    const Look before = LookNow();
    const Bytes& skin = SkinFile();
    const Bytes encrypted(kEncryptedSkinBytes, kEncryptedSkinBytes + kEncryptedSkinSize);
    Bytes flipped = skin;
    flipped[flipped.size() / 2] ^= 0x40;

    // Two pages: the first readable, the second not; inputs run into the second.
    auto* pages = static_cast<char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &old));
    std::memset(pages, 'a', 4096);
    char* atPageEnd = pages + 4096 - skin.size() / 2;
    std::memcpy(atPageEnd, skin.data(), skin.size() / 2);
    const char* passwordAtPageEnd = pages + 4096 - 8; // "aaaaaaaa", then no access
    auto* reserved = static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS));
    ASSERT_NE(reserved, nullptr);

    struct Case {
        const char* what;
        const void* data;
        std::int32_t length;
        const char* password;
    } cases[] = {
        {"null skin", nullptr, 389, nullptr},
        {"length 0", skin.data(), 0, nullptr},
        {"length 15", skin.data(), 15, nullptr},
        {"negative length", skin.data(), -1, nullptr},
        {"length INT_MIN", skin.data(), INT_MIN, nullptr},
        {"length beyond 1 MiB", skin.data(), (1 << 20) + 1, nullptr},
        {"length one short", skin.data(), static_cast<std::int32_t>(skin.size()) - 1, nullptr},
        {"a payload byte changed", flipped.data(), static_cast<std::int32_t>(flipped.size()),
         nullptr},
        {"reserved, not committed memory", reserved, 4096, nullptr},
        {"skin running into an unreadable page", atPageEnd, static_cast<std::int32_t>(skin.size()),
         nullptr},
        {"not a skin at all", pages, 4096, nullptr},
        {"encrypted, no password", encrypted.data(), static_cast<std::int32_t>(encrypted.size()),
         nullptr},
        {"encrypted, empty password", encrypted.data(), static_cast<std::int32_t>(encrypted.size()),
         ""},
        {"encrypted, wrong password", encrypted.data(), static_cast<std::int32_t>(encrypted.size()),
         "celadon-2025"},
        {"password without NUL in 256 bytes", encrypted.data(),
         static_cast<std::int32_t>(encrypted.size()), pages},
        {"password running into an unreadable page", encrypted.data(),
         static_cast<std::int32_t>(encrypted.size()), passwordAtPageEnd},
        {"password in unreadable memory", encrypted.data(),
         static_cast<std::int32_t>(encrypted.size()), pages + 4096},
    };
    std::uint32_t calls = record->calls;
    for (const Case& c : cases) {
        EXPECT_EQ(attach(c.data, c.length, c.password, 12, 12, 12), 0) << c.what;
        EXPECT_EQ(record->calls, ++calls) << c.what;
        EXPECT_EQ(record->lastResult, 0) << c.what;
        EXPECT_EQ(record->themedWindows, 0u) << c.what;
    }
    EXPECT_TRUE(LookNow() == before);
    VirtualFree(pages, 0, MEM_RELEASE);
    VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST_P(SkinLibraryTest, AnyIntegersAreAccepted) {
    const std::int32_t values[][3] = {
        {0, 0, 0},
        {INT_MIN, INT_MIN, INT_MIN},
        {INT_MAX, INT_MAX, INT_MAX},
        {-1, -1, -1},
        {359, -100, 100},
        {720, 200, -200},
    };
    for (const auto& v : values) {
        EXPECT_EQ(Attach(SkinFile(), nullptr, v[0], v[1], v[2]), 1) << v[0] << " " << v[1];
        EXPECT_EQ(record->themedWindows, 10u) << "a new theme reuses the windows' subclassing";
    }
    // Saturation -100 leaves only greys.
    ASSERT_EQ(Attach(SkinFile(), nullptr, 0, -100, 0), 1);
    EXPECT_TRUE(IsGrey(PixelOf(Control(kButton1), 10, 8)));
}

TEST_P(SkinLibraryTest, PasswordAndTextureSkins) {
    const Bytes encrypted(kEncryptedSkinBytes, kEncryptedSkinBytes + kEncryptedSkinSize);
    ASSERT_EQ(Attach(encrypted, "celadon-2026"), 1);
    EXPECT_TRUE(IsBlue(PixelOf(Control(kButton1), 10, 8)));

    // The textured skin tiles a 2 x 2 checker over the window.
    const Bytes textured(kTexturedSkinBytes, kTexturedSkinBytes + kTexturedSkinSize);
    ASSERT_EQ(Attach(textured), 1);
    EXPECT_EQ(PixelOf(window, 124, 100), RGB(0xC0, 0x30, 0x20));
    EXPECT_EQ(PixelOf(window, 125, 100), RGB(0x20, 0xA0, 0x40));
    EXPECT_EQ(PixelOf(window, 124, 101), RGB(0x20, 0x40, 0xC0));
    // A label shows the same texture through, lined up with the window's.
    HWND label = Control(kLabel1);
    POINT at = {100, 15};
    MapWindowPoints(label, window, &at, 1);
    EXPECT_EQ(PixelOf(label, 100, 15), PixelOf(window, at.x, at.y));
    EXPECT_EQ(PixelOf(label, 101, 15), PixelOf(window, at.x + 1, at.y));
}

// Windows made after the attach get the theme: the program's message boxes.
TEST_P(SkinLibraryTest, MessageBoxCreatedLaterIsThemedAndStillAnswersEnter) {
    ASSERT_EQ(Attach(SkinFile(), nullptr, 12, 12, 12), 1);
    seen = SeenBox();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, LookForMessageBox);
    const int answer = MessageBoxA(nullptr, "上传成功", "信息：", MB_OK | MB_TASKMODAL);
    KillTimer(nullptr, timer);
    ASSERT_NE(seen.box, nullptr) << "no message box was seen";
    EXPECT_EQ(answer, IDOK) << "Enter presses the themed default button";
    EXPECT_EQ(seen.okStyle, BS_OWNERDRAW);
    EXPECT_TRUE(IsBlue(seen.okFace));
    EXPECT_FALSE(IsGrey(seen.corner));
    EXPECT_EQ(record->themedWindows, 10u) << "the box's windows are let go when it closes";
}

TEST_P(SkinLibraryTest, UnloadGivesTheWindowsTheirOwnProceduresBack) {
    const Look before = LookNow();
    ASSERT_EQ(Attach(SkinFile(), nullptr, 12, 12, 12), 1);
    const SkinAttachRecord* seen = record; // a shared section, still there after the unload
    if (GetParam() == Loader::Memory) {
        ASSERT_TRUE(module.Free());
    } else {
        ASSERT_TRUE(FreeLibrary(library));
    }
    EXPECT_EQ(seen->processDetaches, 1u);
    EXPECT_EQ(seen->themedWindows, 0u);
    const Look after = LookNow();
    EXPECT_EQ(after.frameProcedure, before.frameProcedure);
    EXPECT_EQ(after.editProcedure, before.editProcedure);
    EXPECT_EQ(after.buttonStyle, BS_PUSHBUTTON);
    EXPECT_TRUE(after == before);
    // Windows made now are not hooked any more either.
    HWND late = CreateWindowExA(0, "Static", "x", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
                                nullptr, nullptr, nullptr);
    EXPECT_NE(late, nullptr);
    PumpMessages();
}

COLORREF FramePixelOf(HWND window, int x, int y) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    PumpMessages();
    HDC dc = GetWindowDC(window);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

TEST_P(SkinLibraryTest, FocusedEditBoxShowsItInItsBorder) {
    ASSERT_EQ(Attach(SkinFile(), nullptr, 12, 12, 12), 1);
    HWND edit = Control(kEdit1);
    SetFocus(Control(kEdit1 + 1));
    const COLORREF quiet = FramePixelOf(edit, 40, 0);
    SetFocus(edit);
    const COLORREF focused = FramePixelOf(edit, 40, 0);
    EXPECT_NE(quiet, focused);
    EXPECT_TRUE(IsBlue(focused));
    SetFocus(Control(kEdit1 + 1));
    EXPECT_EQ(FramePixelOf(edit, 40, 0), quiet);
}

DWORD WINAPI MakeWindowElsewhere(void* out) {
    HWND other = CreateWindowExA(0, kMainWindowClassName, "elsewhere", WS_OVERLAPPED, 0, 0, 50, 50,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    *static_cast<LONG_PTR*>(out) = static_cast<LONG_PTR>(GetClassLongPtrA(other, GCLP_WNDPROC)) ==
                                           GetWindowLongPtrA(other, GWLP_WNDPROC)
                                       ? 1
                                       : 0;
    DestroyWindow(other);
    return 0;
}

// Later windows of the thread are themed; other threads' and other modules'
// classes are not.
TEST_P(SkinLibraryTest, LaterWindowsOfTheThreadOnly) {
    ASSERT_EQ(Attach(SkinFile(), nullptr, 12, 12, 12), 1);
    HWND late = CreateWindowExA(0, "Button", "晚来的", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 200,
                                0, 80, 16, window, nullptr, nullptr, nullptr);
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(GetWindowLongA(late, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(IsBlue(PixelOf(late, 4, 8)));
    HWND check = CreateWindowExA(0, "Button", "x", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 20, 20, window,
                                 nullptr, nullptr, nullptr);
    EXPECT_EQ(GetWindowLongA(check, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_EQ(record->themedWindows, 12u);

    HWND foreign = CreateWindowExA(0, "Static", "system class", WS_POPUP, 0, 0, 50, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    EXPECT_EQ(record->themedWindows, 12u) << "a top-level window of a system class";
    DestroyWindow(foreign);

    LONG_PTR untouched = 0;
    HANDLE thread = CreateThread(nullptr, 0, MakeWindowElsewhere, &untouched, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_EQ(untouched, 1) << "another thread's window keeps its class procedure";
    DestroyWindow(late);
    DestroyWindow(check);
    EXPECT_EQ(record->themedWindows, 10u);
}

INSTANTIATE_TEST_SUITE_P(Loaders, SkinLibraryTest, testing::Values(Loader::Memory, Loader::System),
                         [](const testing::TestParamInfo<Loader>& info) {
                             return info.param == Loader::Memory ? "FromMemory" : "LoadLibrary";
                         });

// The program's own steps: SkinModule, the load without a resolver, the one
// attach call with the carried skin and 12, 12, 12, and the release.
TEST(SkinAttachTest, ProgramStepsCallTheExportOnceWithTheCarriedSkin) {
    EXPECT_EQ(AttachSkinFromMemory(SkinFile(), Text(), 12, 12, 12), 0) << "no module yet";
    CreateSkinModule();
    ASSERT_NE(SkinModule, nullptr);
    EXPECT_EQ(SkinModule->GetHandle(), 0u);
    EXPECT_EQ(AttachSkinFromMemory(SkinFile(), Text(), 12, 12, 12), 0) << "nothing loaded";

    WindowDescription description = MainWindowDescription();
    description.onCreated = [] { ApplySkin(12, 12, 12); };
    for (ControlDescription& control : description.controls) {
        control.onClick = nullptr;
    }
    ASSERT_TRUE(LoadSkinLibrary());
    HWND window = reinterpret_cast<HWND>(CreateMainWindow(description));
    ASSERT_NE(window, nullptr);
    PumpMessages(); // runs the created event

    auto getRecord =
        reinterpret_cast<RecordFunction>(SkinModule->GetExportAddress("SkinH_GetAttachRecord"));
    ASSERT_NE(getRecord, nullptr);
    const SkinAttachRecord* record = getRecord();
    EXPECT_EQ(record->processAttaches, 1u);
    EXPECT_EQ(record->calls, 1u);
    EXPECT_EQ(record->lastSkin, reinterpret_cast<std::uintptr_t>(SkinFile().data()));
    EXPECT_EQ(record->lastLength, SkinFile().size());
    EXPECT_EQ(record->lastPassword, 0u);
    EXPECT_EQ(record->lastHue, 12);
    EXPECT_EQ(record->lastSaturation, 12);
    EXPECT_EQ(record->lastBrightness, 12);
    EXPECT_EQ(record->lastResult, 1);

    // A password travels as the address of its text.
    const Bytes encrypted(kEncryptedSkinBytes, kEncryptedSkinBytes + kEncryptedSkinSize);
    const Text password = "celadon-2026";
    EXPECT_EQ(AttachSkinFromMemory(encrypted, password, 1, 2, 3), 1);
    EXPECT_EQ(record->lastPassword, reinterpret_cast<std::uintptr_t>(password.c_str()));
    EXPECT_EQ(record->lastBrightness, 3);
    EXPECT_EQ(AttachSkinFromMemory(encrypted, "wrong", 1, 2, 3), 0);

    // The release leaves the library mapped and attached: no detach call, and
    // the themed window goes on working.
    ReleaseSkinModule();
    EXPECT_EQ(SkinModule, nullptr);
    EXPECT_EQ(record->processDetaches, 0u);
    EXPECT_TRUE(IsBlue(PixelOf(GetDlgItem(window, kButton1), 10, 8)));
    DestroyWindow(window);
    PumpMessages();
    EXPECT_EQ(record->themedWindows, 0u);
}

// A library that loads but lacks the export: nothing is called, 0 comes back.
TEST(SkinAttachTest, LibraryWithoutTheExportIsNotCalled) {
    Bytes image = SkinLibraryImage();
    const Text name = "SkinH_AttachRes";
    auto at = std::search(image.begin(), image.end(), name.begin(), name.end());
    ASSERT_NE(at, image.end());
    at[name.size() - 1] = 'X';
    CreateSkinModule();
    ASSERT_TRUE(SkinModule->LoadFromMemory(image));
    EXPECT_EQ(SkinModule->GetExportAddress("SkinH_AttachRes"), 0u);
    EXPECT_EQ(AttachSkinFromMemory(SkinFile(), Text(), 12, 12, 12), 0);
    auto getRecord =
        reinterpret_cast<RecordFunction>(SkinModule->GetExportAddress("SkinH_GetAttachRecord"));
    ASSERT_NE(getRecord, nullptr);
    EXPECT_EQ(getRecord()->processAttaches, 1u);
    EXPECT_EQ(getRecord()->calls, 0u);
    ReleaseSkinModule();
}

} // namespace
