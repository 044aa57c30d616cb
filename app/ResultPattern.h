#pragma once
// The contract with the search site's markup: the one pattern that finds a
// result entry (nine lines of one li element) and how a match becomes a row.
#include "automation/RegexObject.h"
#include "text/Text.h"

// As stored: "#引号" for each double quote, "\n" as backslash and n.
extern const char ResultPattern[];

// Every entry of the page, letter case ignored; false when the engine failed,
// or when the page's copies (UTF-16, its entries, the engine's string) could
// not be given room: `noRoom`, when given, then says so.
// The engine is run over the page's entries alone (app/ResultSpans.h), in
// time linear in the page's size; the matches and groups are the same.
[[nodiscard]] bool MatchResultEntries(RegexObject& regex, TextView pageText, bool* noRoom = nullptr);

// Each entry's file name, size and download address (groups 1, 2 and 14, as
// matched, no clean-up at all), entry by entry, to `take`.
[[nodiscard]] bool ReadResultEntries(const RegexObject& regex, RegexObject::GroupsTaker take, void* context);

// The size as listed: the size group with every "?" removed.
[[nodiscard]] Text ResultSizeText(TextView sizeGroup);
