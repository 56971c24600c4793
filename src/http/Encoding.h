// Text and UTF-16 for the HTTP services: both directions go through code
// page 936 (GBK) whatever the system's own ANSI code page is.
#pragma once

#include "text/Text.h"

// The UTF-16LE form of `text` with one terminating NUL unit counted in its
// length; an empty text gives an empty buffer without terminator.
Bytes TextToWide(const Text& text);

// The GBK form of the UTF-16LE units in `wide` up to the first NUL unit; an
// odd trailing byte is ignored.
Text WideToText(const Bytes& wide);

// The buffer's first byte as the platform functions expect it: a null
// pointer for an absent (empty) buffer.
const char16_t* WidePointer(const Bytes& wide);
