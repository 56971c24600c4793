// The Send To entry: "关联" puts a shortcut to the program into the user's
// Send To folder, "取消关联" deletes it; each tells the user whether the file
// is there afterwards.
#pragma once

#include "text/Text.h"

// The user's Start Menu folder with a trailing backslash, or empty.
Text StartMenuFolder();

// Where the shortcut lives on this system.
Text SendToShortcutPath();

// The click on "关联".
void CreateSendToShortcut();

// The click on "取消关联".
void RemoveSendToShortcut();
