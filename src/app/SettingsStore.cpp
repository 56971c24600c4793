// The settings store over the private-profile functions. The file name is
// passed bare on purpose: the system resolves it in the Windows directory
// (or in the user's virtual store where that directory refuses writes).
#include "app/SettingsStore.h"

#include "app/MainWindow.h"
#include "app/SettingsText.h"
#include "platform/PrivateProfile.h"

const char kSettingsFileName[] = "配置.txt";

void LoadEditBoxSettings(WindowHandle window, const Text& fileName) {
    const Text section = KindName(ControlKind::EditBox);
    for (ControlHandle box : FindControlsByKind(window, section)) {
        const Text value =
            ReadProfileValue(section, ControlName(box), fileName, kSettingsValueBufferBytes);
        if (!value.empty()) {
            SetControlText(box, UnescapeSettingValue(value));
        }
    }
}

void SaveEditBoxSettings(WindowHandle window, const Text& fileName) {
    const Text section = KindName(ControlKind::EditBox);
    for (ControlHandle box : FindControlsByKind(window, section)) {
        // A refused write is not reported: the next start finds the old values.
        WriteProfileValue(section, ControlName(box),
                          ProfileValueFor(EscapeSettingValue(GetControlText(box))), fileName);
    }
}

void SaveSettingsClicked() {
    SaveEditBoxSettings(MainWindow, kSettingsFileName);
}
