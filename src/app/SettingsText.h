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
