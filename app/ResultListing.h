#pragma once
// The UI thread's side of a search run's rows: the rows the worker hands on
// are listed in one step, part 3 of 状态条 follows the list's row count, and
// a run that has to end early says why.
#include "app/SearchState.h"
#include "ui/RowStore.h"

// Lists the rows; a list at its row limit or refused memory ends the run,
// the rows kept, with the reason shown.
void ListRows(AppState& app, const RowBatch& rows);

// "together N results" for the list's rows: written at once when the last
// write is 100 ms old, otherwise by a timer on the window when it is.
void ShowResultCountSoon(AppState& app);
// Writes a count that is still to be written, now, and shows the list's
// every row (pause, end).
void ShowPendingResultCount(AppState& app);

// The run ended by itself: the count made exact, the controls Idle; the
// list's view shows every row a moment later.
void FinishSearch(AppState& app);

// Why the last search ended early: in the window's title and in the tooltip
// of part 3 of 状态条, until the next search starts.
void ShowEndReason(AppState& app, TextView reason);
void ClearEndReason(AppState& app);

// The window's own title, without an end reason.
extern const char kMainWindowTitle[];
