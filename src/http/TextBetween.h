// Cutting a piece out of a text by marker texts. Nothing found gives the
// empty text, never an error; no input is changed.
#pragma once

#include "text/Text.h"

// In markers, this placeholder stands for a double quote, so that callers can
// write markers that contain quotes.
extern const char kQuotePlaceholder[];

// What lies between the first `leftMarker` at or after `startPosition` and the
// next `rightMarker` after it.
Text TextBetween(const Text& source, const Text& leftMarker, const Text& rightMarker,
                 int startPosition = 0, bool ignoreCase = false);

// What precedes the first `separator`.
Text TextBefore(const Text& text, const Text& separator);

// What follows the last `separator` that does not end on the text's final byte.
Text TextAfter(const Text& text, const Text& separator);
