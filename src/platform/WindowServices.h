// The window and process services the program's own code relies on: one main
// window built from a fixed description, its controls by kind and name,
// message boxes, event processing during long work, start and exit hooks.
// The portable code sees only these names; user32 and kernel32 stay in the
// Windows half.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/PendingEvents.h"
#include "text/Text.h"

enum class ControlKind { EditBox, TransparentLabel, Button };

// The kind names of the window description ("编辑框", "透明标签", "按钮");
// the settings file uses the edit boxes' kind name as its section.
Text KindName(ControlKind kind);

struct ControlDescription {
    ControlKind kind;
    Text name;
    int x, y, width, height; // in the window's client area
    Text text;
    void (*onClick)() = nullptr; // buttons only
};

struct WindowDescription {
    Text caption;
    int x, y, width, height; // outer rectangle on the screen
    std::vector<ControlDescription> controls;
    void (*onCreated)() = nullptr; // runs once, after every control exists
};

struct PlatformWindow;
struct PlatformControl;
using WindowHandle = PlatformWindow*;
using ControlHandle = PlatformControl*;

// The class name of the main window, for tools and tests that look for it.
extern const char kMainWindowClassName[];

// Control identifiers: the control at 1-based position i of the description
// gets the identifier kFirstControlId + i - 1, so that tests and assistive
// tools can tell controls apart without their names.
constexpr int kFirstControlId = 1001;

// Creates the window and all its controls, shows it, and arranges for the
// created event to run once the message loop (or ProcessPendingEvents) runs.
// Null when the window cannot be created. There is one main window.
WindowHandle CreateMainWindow(const WindowDescription& description);

// Dispatches messages until the main window has been closed.
void RunMessageLoop();

// Whether the window has not been closed yet.
bool WindowIsOpen(WindowHandle window);

// The routine runs once when the program ends.
void RegisterExitRoutine(void (*routine)());

// Every control of that kind name, in the window's order of controls: the
// stacking order, in which the control added last comes first (for the main
// window: 编辑框3, 编辑框2, 编辑框1).
std::vector<ControlHandle> FindControlsByKind(WindowHandle window, const Text& kindName);

// The control of that name, or null.
ControlHandle FindControlByName(WindowHandle window, const Text& name);

// The control's name as in the description, e.g. "编辑框1"; empty for null.
Text ControlName(ControlHandle control);

// The control's whole text; setting replaces it. Empty (or nothing) for null.
Text GetControlText(ControlHandle control);
void SetControlText(ControlHandle control, const Text& text);

// Milliseconds since the system started, wrapping at 32 bits.
std::uint32_t TickCount();

// Blocks until a message arrives for this thread or the time has passed,
// whichever comes first, so that a wait does not spin.
void WaitForPendingEvents(std::uint32_t maxMilliseconds);

constexpr unsigned kMessageIconInformation = 0x40; // MB_ICONINFORMATION
constexpr unsigned kMessageSystemModal = 0x1000;   // MB_SYSTEMMODAL
constexpr unsigned kMessageTaskModal = 0x2000;     // MB_TASKMODAL
extern const char kDefaultMessageTitle[];          // "信息："

// The style a box is shown with: a single OK button, and task-modal unless
// the caller asked for system-modal.
unsigned MessageBoxStyleFor(unsigned style);

// Shows a box with no owner window and a single OK button and returns when
// the user has closed it. An empty title stands for the default title.
void ShowMessage(const Text& text, unsigned style = 0, const Text& title = Text());

// The whole command line of the process.
Text CommandLineText();

// The directory holding the running program (no trailing backslash) and the
// program's file name.
Text ProgramDirectory();
Text ProgramFileName();

// A full path split at its last backslash (a backslash that is the second
// byte of a double-byte character does not count): the part before it and
// the part after it. Without a backslash the directory is empty.
void SplitProgramPath(const Text& fullPath, Text& directoryOut, Text& fileNameOut);
