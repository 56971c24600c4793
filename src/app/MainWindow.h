// The program's one window: three edit boxes (account, password, folder ID)
// with their labels, and three buttons.
#pragma once

#include "platform/WindowServices.h"

// The main window once it exists; null before.
extern WindowHandle MainWindow;

// The window's description: caption, place, size and the nine controls with
// their names, which double as the settings file's keys.
WindowDescription MainWindowDescription();
