#pragma once
// The contract with the search site's markup: the one pattern that finds a
// result entry (nine lines of one li element) and how a match becomes a row.
#include <string>
#include <vector>

#include "app/ResultSpans.h"
#include "automation/RegexObject.h"
#include "text/Text.h"
#include "ui/ResultColumns.h"
#include "ui/RowStore.h"

// As stored: "#引号" for each double quote, "\n" as backslash and n.
extern const char ResultPattern[];

// One page's entries and what matched them; kept from page to page of a run
// (the engine, and with it COM for the thread).
struct PageEntries {
  RegexObject regex;
  ResultMatcher matcher = ResultMatcher::EngineFirst;
  std::wstring page;               // as matched: UTF-16, as the engine sees it
  std::vector<ResultEntry> found;  // the finder's matches, with their groups
  bool engineMatched = false;      // the engine holds the page's matches
};

// The number of entries on the page, letter case ignored. The engine is run
// over the page's entries alone (app/ResultSpans.h), in time linear in the
// page's size; where it cannot be created, fails, or its string cannot be
// given room, the finder's entries are the page's, so a page is never lost to
// a missing engine. 0, and `noRoom` (when given) set, when the page's UTF-16
// copy or the finder's record of it could not be given room.
[[nodiscard]] int MatchResultEntries(PageEntries& entries, TextView pageText, bool* noRoom = nullptr);

// Each entry's groups that the result list's columns are made of (the file
// name, the size, the download address: ui/ResultColumns.h), as matched, no
// clean-up at all, entry by entry, to `take`. An engine that fails partway
// hands the rest of the entries to the finder.
void ReadResultEntries(PageEntries& entries, RegexObject::GroupsTaker take, void* context);

// Of an entry's groups as ReadResultEntries hands them on, the one `column`
// is made of; empty for a column made otherwise.
[[nodiscard]] TextView EntryGroup(const Text* groups, ResultColumn column);

// The size as listed: the size group with every "?" removed.
[[nodiscard]] Text ResultSizeText(TextView sizeGroup);

// The entry's row, numbered `rowNumber`: each cell made as its column says.
void AddResultRow(RowBatch& batch, const Text* groups, int rowNumber);
