#pragma once
// How a worker reaches the controls. The worker never touches a window: each
// control operation it calls is queued on its own run and the main window is
// told with one posted message a queued operation (kWorkerOperationMessage).
// An operation is a closure that owns what it needs, so that no caller frees
// or casts a context: one that is dropped is destroyed with its data on the
// thread that drops it. An operation the worker needs an answer from waits
// until the UI thread has carried it out or dropped it; an operation handed on
// (HandOnForWorker) is queued and the worker goes on at once. The UI thread
// carries out a run's operations in the order they were queued, only while
// that run is the current one and not paused, and it never waits for the worker.
//
// For the worker body:
//   - call WorkerShouldGoOn() before each page request; it waits while the
//     run is paused and returns false once the run has been ended, in which
//     case the body returns at once without touching a control;
//   - call the control operations (ui/ControlOperations.h) as on the UI thread;
//     each one has taken effect when it returns. Once the run has been ended an
//     operation is dropped: reads give an empty text, 0, false, or -1 where -1
//     means "no such row".
#include <windows.h>

#include <functional>

// What a run's worker thread carries out, with its own record.
using WorkerBody = void (*)(void* context);
// Frees the record when the run goes, on whichever thread lets go of it last.
using WorkerRelease = void (*)(void* context);
// Told on the UI thread that the run has been ended, with the run's record,
// so that what the worker is blocked in can be ended too. It must not wait.
using WorkerEndHook = void (*)(void* context);

// Work for the UI thread, with what it needs. Its allocation, like any small
// one of the program's, ends in the fatal report when refused.
using WorkerOperation = std::function<void()>;

// One run, shared by the UI thread and its worker; freed by whichever lets go
// of it last.
struct WorkerRun;

// The UI thread's side: its current run, if any. Owned by the main window.
struct WorkerChannel {
  WorkerRun* current = nullptr;
};

// --- The worker's side ---

// Waits while the calling worker's run is paused; false once it has ended
// (and on a thread that is no worker).
[[nodiscard]] bool WorkerShouldGoOn();

// Waits `milliseconds` of running time: a pause holds the wait and its time
// does not count. False as soon as the run has ended (and on a thread that
// is no worker).
[[nodiscard]] bool WorkerWaitFor(DWORD milliseconds);

// Waits until `object` is signalled (or cannot be waited on), then while the
// run is paused. False as soon as the run has ended (and on a thread that is
// no worker).
[[nodiscard]] bool WorkerWaitUntil(HANDLE object);

// Carries `operation` out on the UI thread for the calling worker and waits
// for it; false when it was dropped (run ended, or no worker thread).
[[nodiscard]] bool RunForWorker(WorkerOperation operation);

// Queues `operation` for the UI thread without waiting. False (and the
// operation destroyed at once) when the run has already ended or there is no
// worker thread.
[[nodiscard]] bool HandOnForWorker(WorkerOperation operation);

// --- The UI thread's side (the main window's thread) ---

// Makes a new run the channel's current one and returns the worker's
// reference to it, to be handed to WorkerThreadProcedure as the thread's
// parameter. A previous run is ended first. `onEnd`, when given, is told
// when this run is ended. Null (the record released, no run current) when
// the system refused the run's events.
[[nodiscard]] WorkerRun* BeginWorkerRun(WorkerChannel& channel, HWND mainWindow, WorkerBody body, void* context,
                                        WorkerRelease release, WorkerEndHook onEnd = nullptr);

// The start routine of the worker thread: runs the body, then lets go of the run.
DWORD WINAPI WorkerThreadProcedure(LPVOID run);

// Lets go of the worker's reference when its thread could not be started.
void AbandonWorkerRun(WorkerRun* run);

// Holds the current run's queued operations and closes its gate.
void PauseCurrentRun(WorkerChannel& channel);
// Opens the gate and has the held operations carried out.
void ResumeCurrentRun(WorkerChannel& channel);
// Marks the current run ended, drops its pending operations, opens its gate
// so that the worker leaves at its next check, and tells the run's end hook.
// Never waits.
void EndCurrentRun(WorkerChannel& channel);

// Carries out the current run's first queued operation (on kWorkerOperationMessage;
// each operation posts one).
void RunQueuedOperations(WorkerChannel& channel);

// True when the current run's operations wait with no message on its way:
// the system refused the post (the window's queue full). The UI thread
// looks now and then; nothing else would carry them out.
[[nodiscard]] bool RunLostItsMessage(const WorkerChannel& channel);
// Carries out every operation the current run has queued, in order, while
// it is current and not paused.
void CarryOutQueuedOperations(WorkerChannel& channel);
