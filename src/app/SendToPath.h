// Where the Send To entry lives: the folder "Sendto" beside the user's Start
// Menu folder, the shortcut "发送至蓝奏云.lnk" in it.
#pragma once

#include "text/Text.h"

extern const char kSendToShortcutName[]; // "Sendto\发送至蓝奏云.lnk"

// The folder that contains `path`, ending in a backslash: one trailing
// backslash of `path` is dropped, then everything up to and including the
// last backslash is kept; empty when there is none.
Text ParentFolder(const Text& path);

// Whether the text's last character is a backslash (not the second byte of
// a double-byte character).
bool EndsInBackslash(const Text& path);

// The shortcut's path for a Start Menu folder (which ends in a backslash, or
// is empty when the shell gave none: the path is then relative).
Text SendToShortcutPathFor(const Text& startMenuFolder);
