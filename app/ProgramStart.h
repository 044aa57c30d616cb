#pragma once
// The program from its start to its end, with the worker body each search runs.
#include "app/SearchState.h"
#include "ui/EventTable.h"

void OnMainWindowCreated(AppState& app);
// Ends the worker and the process with exit code 0.
void OnMainWindowClose(AppState& app);

// Every control event the program handles, bound once at creation; the
// window hands each handler the state it was created with (CreateAppWindow).
[[nodiscard]] EventTable MainWindowEventTable();

// The main window of `app`, its handlers bound to it; false when it could
// not be created.
[[nodiscard]] bool CreateAppWindow(AppState& app);

// Initialises OLE and the fatal report, creates the main window and runs the
// message loop; the process ends in OnMainWindowClose (exit code 0), in the
// fatal report (exit code -1), or when a quit message ends the loop (its
// exit code), each time after the run has ended as at a close.
[[noreturn]] void RunProgram(SearchBody workerBody);
