// Decoding the service's answers. An upload answer writes non-ASCII
// characters as \u escapes inside a JSON text; DecodeAnswer turns the whole
// answer into plain GBK text so that the success phrase can be found in it.
//
// The decoding treats the answer as the body of a single-quoted script
// string literal and unescapes the literal's value, as a browser's script
// engine would: first the literal's own escapes (\n, \x41, \101, ...), then
// %uXXXX and %XX. An answer that cannot stand in such a literal (a bare line
// break, a trailing backslash) yields nothing, and the answer's bytes read as
// UTF-16 are taken instead.
#pragma once

#include "text/Text.h"

// The answer with its escapes decoded; see above.
Text DecodeAnswer(const Text& text);

// The bytes read as UTF-16LE text, converted to GBK: a leading byte order
// mark is skipped, the text ends at the first NUL unit and an odd last byte
// is ignored.
Text ReadBytesAsUnicode(const Bytes& bytes);

// The value of a single-quoted script string literal whose body is
// `literalBody`, passed through `unescape`, in GBK. False when the literal
// would be rejected: a line break inside it, a backslash that escapes the
// closing quote, a malformed \x or \u escape, or a bare quote ending it early.
bool UnescapeQuotedLiteral(const Text& literalBody, Text& decodedOut);
