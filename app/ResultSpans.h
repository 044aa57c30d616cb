#pragma once
// Where the result pattern matches, found in one pass over the page as the
// engine sees it (UTF-16), so that the engine is only run over the entries;
// with the groups, the same pass stands in for a missing engine.
//
// Every group of the pattern is a lazy "(.*?)" that cannot cross a line end,
// and the literals between them are fixed, so for a start at "<li>" the
// pattern needs: on that line a span-open and later a span-close; four whole
// lines; a sixth line with the size literal and later "</b>"; two whole lines;
// a ninth line with the link literal and later the download literal. Lines 2
// to 9 do not depend on any choice in line 1, and a later occurrence of a
// literal fits only where the first does, so the engine's lazy groups take
// the first occurrences and the leftmost start that fits is the match. The
// engine tries every start and backtracks through every split of a failing
// one (about n^4 on a line of many empty spans); this pass decides each line
// in constant steps.
#include <string>
#include <string_view>
#include <vector>

#include "text/DotStops.h"

// Who matches a page (and its charset declaration): the engine wherever it
// works, else the finder below, which gives the engine's matches and groups.
// BuiltIn leaves the engine out, to set the two side by side.
enum class ResultMatcher { EngineFirst, BuiltIn };

// The match spans of the result pattern (letters of the literals in any case)
// in `page`, in page order, each the exact text the engine matches, joined by
// line feeds. The engine run over it finds the same matches with the same
// groups as over the whole page.
[[nodiscard]] std::wstring ResultEntrySpans(std::wstring_view page, DotStops dotStops);
// The same into `spans`; false (`spans` empty) when the room for them, or
// for the finder's record of the page's lines, is refused.
[[nodiscard]] bool ResultEntrySpans(std::wstring_view page, DotStops dotStops, std::wstring& spans);

// Where a part of the page lies.
struct PageSpan {
  size_t start = 0;
  size_t length = 0;
};

// One match of the result pattern: its span and its fourteen groups, as the
// engine gives them.
struct ResultEntry {
  PageSpan match;
  PageSpan groups[14];
};

// Every match of the result pattern in `page`, in page order, into `entries`:
// what the engine finds, without the engine. False (`entries` empty) when
// the room for them is refused.
[[nodiscard]] bool ResultEntries(std::wstring_view page, DotStops dotStops, std::vector<ResultEntry>& entries);
