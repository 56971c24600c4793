// The main window's description and its event wiring.
#include "app/MainWindow.h"

#include "app/SendTo.h"
#include "app/SettingsStore.h"
#include "app/Startup.h"

WindowHandle MainWindow = nullptr;

WindowDescription MainWindowDescription() {
    const ControlKind edit = ControlKind::EditBox;
    const ControlKind label = ControlKind::TransparentLabel;
    const ControlKind button = ControlKind::Button;
    WindowDescription window;
    window.caption = "Pellary    --  Tolvan";
    window.x = 50;
    window.y = 50;
    window.width = 381;
    window.height = 139;
    window.controls = {
        {edit, "编辑框1", 8, 16, 112, 32, "", nullptr},
        {edit, "编辑框2", 128, 16, 128, 32, "", nullptr},
        {edit, "编辑框3", 264, 16, 104, 32, "", nullptr},
        {label, "透明标签1", 8, 48, 120, 24, "登录账号", nullptr},
        {label, "透明标签2", 128, 48, 136, 24, "密码", nullptr},
        {label, "透明标签3", 264, 48, 104, 24, "文件夹ID", nullptr},
        {button, "按钮1", 0, 72, 120, 32, "关联", CreateSendToShortcut},
        {button, "按钮2", 128, 72, 136, 32, "取消关联", RemoveSendToShortcut},
        {button, "按钮3", 272, 72, 104, 32, "保存配置", SaveSettingsClicked},
    };
    window.onCreated = RunStartupSequence;
    return window;
}
