// How an edit box's text is stored as one settings value: a line break and
// a double quote cannot stand in a profile value as they are (the profile
// functions end a value at the line and strip surrounding quotes), so they
// are written as "><br><" and "#引号".
#pragma once

#include "text/Text.h"

// CR LF pairs become "><br><", then double quotes become "#引号".
Text EscapeSettingValue(const Text& boxText);

// "><br><" becomes a CR LF pair, then "#引号" becomes a double quote.
Text UnescapeSettingValue(const Text& storedValue);

// The escaped value as it is written to the file. The profile reader trims
// blanks and tabs at a value's edges and drops one pair of quotes around it,
// so a value that would lose its edges that way is written inside double
// quotes, which the reader takes off again. Other values are written as they
// are. (An escaped value holds no double quote, so the wrapping is never
// ambiguous.)
Text ProfileValueFor(const Text& escapedValue);
