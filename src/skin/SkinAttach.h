// The skin's steps in the program's start and exit: the skin module is
// created empty, the carried skin library is loaded into it, the skin is
// attached to the window once it exists, and the module is released at exit.
#pragma once

#include <cstdint>

// Creates the skin module, empty.
void CreateSkinModule();

// Loads the carried skin library into the skin module; true when it loaded.
// The start does not look at the result.
bool LoadSkinLibrary();

// Attaches the carried skin to the thread's windows, passing the three
// values on to the library.
void ApplySkin(std::int32_t first, std::int32_t second, std::int32_t third);

// Releases the skin module (the library stays mapped until the process ends).
void ReleaseSkinModule();
