// The skin's steps in the program's start and exit: the skin module is
// created empty, the carried skin library is loaded into it, the skin is
// attached to the window once it exists, and the module is released at exit.
#pragma once

#include <cstdint>

#include "memmodule/MemoryModule.h"
#include "text/Text.h"

// Holds the carried skin library from the start to the end of the process;
// null before CreateSkinModule and after ReleaseSkinModule.
extern MemoryModule* SkinModule;

// Creates the skin module, empty.
void CreateSkinModule();

// Loads the carried skin library into the skin module (no import resolver);
// true when it loaded. The start does not look at the result.
bool LoadSkinLibrary();

// Calls the library's SkinH_AttachRes once with the skin's address and length,
// the password's address (null for an empty password) and the three values,
// and returns its result. When the library is not loaded or lacks the export
// nothing is called and the result is 0.
std::int32_t AttachSkinFromMemory(const Bytes& skin, const Text& password, std::int32_t first,
                                  std::int32_t second, std::int32_t third);

// Attaches the carried skin with no password, passing the three values on to
// the library; the result is not looked at.
void ApplySkin(std::int32_t first, std::int32_t second, std::int32_t third);

// Releases the skin module object. Its image stays mapped and its entry point
// is not called again: the library goes away with the process.
void ReleaseSkinModule();
