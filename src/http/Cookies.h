// Cookies kept as one text in the form of a Cookie header value: items
// separated by "; " exactly, each normally name=value. Answers add to it,
// and a merge lets the answer's cookies replace the sent ones of the same
// name, keeps the others and drops the ones the server deleted.
#pragma once

#include "text/Text.h"

// Appends the name=value part of every "Set-Cookie" line to `returnedCookies`,
// items separated by "; ". `headerLines` is the raw header block of an
// answer (status line first) split at CR LF.
void CollectCookies(const TextArray& headerLines, Text& returnedCookies);

// Merges the sent cookie text with the returned one and gives the result.
// Both arguments are rewritten: each is first trimmed (and given a trailing
// space when it then ends with ';'); afterwards `sendCookies` holds the
// merged text and `returnedCookies` its own trimmed form.
Text MergeCookies(Text& sendCookies, Text& returnedCookies);

// The name of a cookie item: what precedes its first '=', trimmed; an item
// without '=' is all name.
Text CookieName(const Text& item);

// Whether some item's CookieName equals `name` exactly.
bool HasCookieNamed(const TextArray& items, const Text& name);

// The separated list with later exact duplicates removed, the first of each
// kept in place.
Text RemoveDuplicateItems(const Text& text, const Text& separator);

// The 1-based index of the first item equal to `text` (exact bytes), or -1.
int IndexOfItem(const TextArray& items, const Text& text);
