// The spine of the program. The skin, the login and the upload are steps
// of their own subsystems; this file only puts them in order.
#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/EventWait.h"
#include "app/MainWindow.h"
#include "app/SettingsStore.h"
#include "cloud/Login.h"
#include "cloud/SessionCookies.h"
#include "cloud/Upload.h"
#include "platform/WindowServices.h"
#include "skin/SkinAttach.h"

namespace {
constexpr std::uint32_t kStartupWaitMilliseconds = 1000;
}

void ProgramStart() {
    CreateSkinModule();
    RegisterExitRoutine(ReleaseGlobals);
    LoadSkinLibrary(); // the load's result is not looked at
    MainWindow = CreateMainWindow(MainWindowDescription());
    if (MainWindow == nullptr) {
        return;
    }
    RunMessageLoop();
}

void RunStartupSequence() {
    ApplySkin(12, 12, 12);
    LoadEditBoxSettings(MainWindow, kSettingsFileName);
    const Text account = GetControlText(FindControlByName(MainWindow, "编辑框1"));
    const Text password = GetControlText(FindControlByName(MainWindow, "编辑框2"));
    LoginToService(account, password); // a failed login is silent
    WaitWhileProcessingEvents(kStartupWaitMilliseconds, TickCount, ProcessPendingEvents,
                              WaitForPendingEvents);
    // A window closed during the wait ends the program: nothing more is done.
    if (!WindowIsOpen(MainWindow)) {
        return;
    }
    const TextArray arguments = SplitCommandLine(CommandLineText());
    if (!arguments.empty()) {
        const Text folderId = GetControlText(FindControlByName(MainWindow, "编辑框3"));
        UploadFile(ItemAt(arguments, 1), folderId); // shows its own result
    }
}

void ReleaseGlobals() {
    static bool released = false;
    if (released) {
        return;
    }
    released = true;
    ReleaseSkinModule();
    SessionCookies.clear();
    SessionCookies.shrink_to_fit();
}
