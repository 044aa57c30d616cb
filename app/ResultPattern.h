#pragma once
// The contract with the search site's markup: the one pattern that finds a
// result entry (nine lines of one li element) and how a match becomes a row.
#include "app/SearchState.h"
#include "automation/RegexObject.h"
#include "text/Text.h"

// As stored: "#引号" for each double quote, "\n" as backslash and n.
extern const char ResultPattern[];

// Every entry of the page, letter case ignored; false when the engine failed.
[[nodiscard]] bool MatchResultEntries(RegexObject& regex, TextView pageText);

// Group 2 of match `match` with every "?" removed.
[[nodiscard]] Text ResultSizeText(const RegexObject& regex, int match);

// Columns 1 and 3 are groups 1 and 14 as matched, no clean-up at all.
[[nodiscard]] ResultRow BuildResultRow(const RegexObject& regex, int match, int rowNumber, Text sizeText);
