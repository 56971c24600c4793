// Reading the raw response header block and the body without the platform:
// the status text, the Location line, and the text the charset search runs
// over. Kept apart from the Windows half so it can be fuzzed natively.
#pragma once

#include "text/Text.h"

class RegExpObject;

// The status text of a raw header block: from its 10th character up to the
// first CR LF at or after it ("HTTP/1.1 200 OK\r\n..." gives "200 OK"); empty
// when there is no such CR LF.
Text StatusFromHeaderText(const Text& headerText);

// The header block split into its lines at each CR LF.
TextArray HeaderLinesOf(const Text& headerText);

// True when `line` starts with "Location: " (letters in any case); `location`
// then receives the rest of the line. A line without the blank after the
// colon is not a Location line.
bool TakeLocationLine(const Text& line, Text& location);

// The part of the body text the charset declaration is looked for in: its
// first 1024 bytes.
Text CharsetSearchSubject(const Text& bodyText);

// Whether a declared charset name leads to a conversion: not empty and
// neither "gbk" nor "gb2312", compared exactly (so "GBK" is converted).
bool CharsetNeedsConversion(const Text& charset);

// Looks for the charset a page declares in a meta tag within the first 1024
// bytes of its body text. True when the search ran (the pattern is valid),
// even if the page declares nothing; `charset` is then the declared name or
// the empty text.
bool FindDeclaredCharset(RegExpObject& search, const Text& bodyText, Text& charset);
