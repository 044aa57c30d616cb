#pragma once
// The program from its start to its end, with the worker body each search runs.
#include "ui/EventTable.h"
#include "ui/WorkerChannel.h"

void OnMainWindowCreated();
// Ends the worker, deletes resultListLock and ends the process with exit code 0.
void OnMainWindowClose();

// Every control event the program handles, bound once at creation.
[[nodiscard]] EventTable MainWindowEventTable();

// Initialises OLE and the fatal report, creates the main window and runs the
// message loop; the process ends in OnMainWindowClose (exit code 0) or in the
// fatal report (exit code -1).
int RunProgram(WorkerBody workerBody);
