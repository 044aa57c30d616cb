#include "ui/WorkerChannel.h"

#include "system/WindowMessages.h"
#include "system/Holders.h"

// One operation of a worker, on the worker's stack while it waits.
struct PendingOperation {
  void (*perform)(void*);
  void* context;
  PendingOperation* next;
  bool performed;
};

struct WorkerRun {
  HWND window;
  WorkerBody body;
  LONG references = 2;  // the UI thread's and the worker's
  CriticalSection lock;  // guards the fields below; never held while waiting
  bool ended = false;
  bool paused = false;
  PendingOperation* first = nullptr;
  PendingOperation* last = nullptr;
  KernelHandle gate{CreateEventW(nullptr, TRUE, TRUE, nullptr)};            // set unless paused
  KernelHandle operationDone{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // one worker, one wait
};

namespace {

// Touched by the UI thread only.
WorkerRun* currentRun = nullptr;

thread_local WorkerRun* runOfThisThread = nullptr;

void LetGo(WorkerRun* run) {
  if (InterlockedDecrement(&run->references) == 0) delete run;
}

PendingOperation* TakeFirst(WorkerRun& run) {
  PendingOperation* operation = run.first;
  if (operation) {
    run.first = operation->next;
    if (!run.first) run.last = nullptr;
  }
  return operation;
}

}  // namespace

bool WorkerShouldGoOn() {
  WorkerRun* run = runOfThisThread;
  if (!run) return false;
  WaitForSingleObject(run->gate.Get(), INFINITE);
  Lock lock(run->lock);
  return !run->ended;
}

bool RunForWorker(void (*perform)(void*), void* context) {
  WorkerRun* run = runOfThisThread;
  if (!run) return false;
  PendingOperation operation{perform, context, nullptr, false};
  {
    Lock lock(run->lock);
    if (run->ended) return false;
    if (run->last)
      run->last->next = &operation;
    else
      run->first = &operation;
    run->last = &operation;
  }
  if (!PostMessageW(run->window, kWorkerOperationMessage, 0, 0)) {
    // No window to carry it out: take it back unless the UI thread already has.
    Lock lock(run->lock);
    for (PendingOperation** link = &run->first; *link; link = &(*link)->next) {
      if (*link != &operation) continue;
      *link = operation.next;
      if (run->last == &operation) {
        run->last = nullptr;
        for (PendingOperation* each = run->first; each; each = each->next) run->last = each;
      }
      return false;
    }
  }
  WaitForSingleObject(run->operationDone.Get(), INFINITE);
  Lock lock(run->lock);
  return operation.performed;
}

WorkerRun* BeginWorkerRun(HWND mainWindow, WorkerBody body) {
  EndCurrentRun();
  WorkerRun* run = new WorkerRun;
  run->window = mainWindow;
  run->body = body;
  currentRun = run;
  return run;
}

DWORD WINAPI WorkerThreadProcedure(LPVOID parameter) {
  WorkerRun* run = static_cast<WorkerRun*>(parameter);
  runOfThisThread = run;
  if (run->body) run->body();
  runOfThisThread = nullptr;
  LetGo(run);
  return 0;
}

void AbandonWorkerRun(WorkerRun* run) { LetGo(run); }

void PauseCurrentRun() {
  if (!currentRun) return;
  Lock lock(currentRun->lock);
  currentRun->paused = true;
  ResetEvent(currentRun->gate.Get());
}

void ResumeCurrentRun() {
  if (!currentRun) return;
  {
    Lock lock(currentRun->lock);
    currentRun->paused = false;
    SetEvent(currentRun->gate.Get());
  }
  // Carried out after the resuming handler has returned, like any other.
  PostMessageW(currentRun->window, kWorkerOperationMessage, 0, 0);
}

void EndCurrentRun() {
  WorkerRun* run = currentRun;
  if (!run) return;
  currentRun = nullptr;
  bool dropped = false;
  {
    Lock lock(run->lock);
    run->ended = true;
    while (PendingOperation* operation = TakeFirst(*run)) {
      operation->performed = false;
      dropped = true;
    }
    SetEvent(run->gate.Get());
  }
  if (dropped) SetEvent(run->operationDone.Get());
  LetGo(run);
}

void RunQueuedOperations() {
  WorkerRun* run = currentRun;
  if (!run) return;
  // One operation a message. The worker queues its next operation as soon as
  // this one is done; were it carried out here too, its own message would stay
  // queued and carry out the one after, and so on: the window's other messages
  // would wait behind a growing line of them.
  PendingOperation* operation;
  {
    Lock lock(run->lock);
    if (run->ended || run->paused) return;
    operation = TakeFirst(*run);
  }
  if (!operation) return;
  operation->perform(operation->context);
  {
    Lock lock(run->lock);
    operation->performed = true;
  }
  // The worker may return and free `operation` from here on.
  SetEvent(run->operationDone.Get());
}
