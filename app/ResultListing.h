#pragma once
// The UI thread's side of a search run's rows: the rows the worker hands on
// are listed in one step, and part 3 of 状态条 follows the list's row count.
#include "app/SearchState.h"
#include "ui/RowStore.h"

// Why a run ends when the program could not give its rows room.
extern const char kRowsHadNoRoom[];

// Lists the rows; a list at its row limit or refused memory ends the run,
// the rows kept, with the reason shown.
void ListRows(AppState& app, const RowBatch& rows);
