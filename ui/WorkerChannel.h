#pragma once
// How the search worker reaches the controls. The worker never touches a
// window: each control operation it calls is queued on its own run, the main
// window is told with one posted message (kWorkerOperationMessage), and the
// worker waits until the UI thread has carried the operation out or dropped
// it. The UI thread carries out a run's operations only while that run is the
// current one and not paused, and it never waits for the worker.
//
// For the worker body (the search run):
//   - call WorkerShouldGoOn() before each page request and before each match;
//     it waits while the run is paused and returns false once the run has been
//     ended, in which case the body returns at once without touching a control;
//   - call the control operations (ui/ControlOperations.h) as on the UI thread;
//     each one has taken effect when it returns. Once the run has been ended an
//     operation is dropped: reads give an empty text, 0, false, or -1 where -1
//     means "no such row".
#include <windows.h>

using WorkerBody = void (*)();

// One search run, shared by the UI thread and its worker; freed by whichever
// lets go of it last.
struct WorkerRun;

// --- The worker's side ---

// Waits while the calling worker's run is paused; false once it has ended
// (and on a thread that is no worker).
[[nodiscard]] bool WorkerShouldGoOn();

// Carries `perform(context)` out on the UI thread for the calling worker and
// waits for it; false when it was dropped (run ended, or no worker thread).
[[nodiscard]] bool RunForWorker(void (*perform)(void*), void* context);

// --- The UI thread's side (the main window's thread) ---

// Makes a new run the current one and returns the worker's reference to it,
// to be handed to WorkerThreadProcedure as the thread's parameter. The
// previous run must have been ended.
[[nodiscard]] WorkerRun* BeginWorkerRun(HWND mainWindow, WorkerBody body);

// The start routine of the worker thread: runs the body, then lets go of the run.
DWORD WINAPI WorkerThreadProcedure(LPVOID run);

// Lets go of the worker's reference when its thread could not be started.
void AbandonWorkerRun(WorkerRun* run);

// Holds the current run's queued operations and closes its gate.
void PauseCurrentRun();
// Opens the gate and has the held operations carried out.
void ResumeCurrentRun();
// Marks the current run ended, drops its pending operations and opens its
// gate so that the worker leaves at its next check. Never waits.
void EndCurrentRun();

// Carries out the current run's first queued operation (on kWorkerOperationMessage;
// each operation posts one).
void RunQueuedOperations();
