// The settings file: the texts of the window's edit boxes, one key per box
// named after the box, in the section named after the boxes' kind.
#pragma once

#include <cstddef>

#include "platform/WindowServices.h"
#include "text/Text.h"

extern const char
    kSettingsFileName[]; // "配置.txt", resolved by the system in the Windows directory
constexpr std::size_t kSettingsValueBufferBytes = 10240;

// Fills the window's edit boxes from the file; a box whose value is missing
// or empty keeps its text.
void LoadEditBoxSettings(WindowHandle window, const Text& fileName);

// Writes every edit box's text to the file, empty texts too.
void SaveEditBoxSettings(WindowHandle window, const Text& fileName);

// The click on "保存配置": saves the main window's boxes and shows nothing.
void SaveSettingsClicked();
