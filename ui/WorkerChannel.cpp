#include "ui/WorkerChannel.h"

#include <list>
#include <utility>

#include "system/Holders.h"
#include "system/WindowMessages.h"

// One operation of a worker's on its way to the UI thread.
struct QueuedOperation {
  WorkerOperation perform;
  bool waited;  // the worker waits until it has been carried out or dropped
};

// A list, so that an operation's node is allocated before the run's lock is
// taken and only linked in or out under it: a refused allocation raises the
// fatal report, whose orderly end takes the lock to end the run.
using OperationQueue = std::list<QueuedOperation>;

struct WorkerRun {
  HWND window;
  WorkerBody body;
  void* context;
  WorkerRelease release;
  WorkerEndHook onEnd;
  LONG references = 2;  // the UI thread's and the worker's
  CriticalSection lock;  // guards the fields below; never held while waiting
  bool ended = false;
  bool paused = false;
  // A kWorkerOperationMessage is on its way to the window. What is carried out
  // is decided by the queue, not by the count of messages: a message used up
  // while paused must not cost an operation.
  bool messagePosted = false;
  // The last post was refused (the window's queue full): what is queued
  // waits for the UI thread to look (RunLostItsMessage).
  bool postRefused = false;
  OperationQueue queue;
  bool waitedPerformed = false;  // the answer for the operation the worker waits on
  KernelHandle gate{CreateEventW(nullptr, TRUE, TRUE, nullptr)};            // set unless paused
  KernelHandle pausedOrEnded{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set while paused, and once ended
  KernelHandle operationDone{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // one worker, one wait
};

namespace {

thread_local WorkerRun* runOfThisThread = nullptr;

void LetGo(WorkerRun* run) {
  if (InterlockedDecrement(&run->references) != 0) return;
  if (run->release) run->release(run->context);
  delete run;
}

// Under the run's lock: true when a message must be posted for what is queued
// (the caller posts it outside the lock).
bool NeedsMessage(WorkerRun& run) {
  if (run.messagePosted || run.queue.empty() || run.ended || run.paused) return false;
  run.messagePosted = true;
  return true;
}

// A refused post leaves the queue as it is, without its message, and says so
// to the UI thread's next look; a later post that goes through carries the
// queue on.
void PostOperationMessage(WorkerRun& run) {
  const bool posted = PostMessageW(run.window, kWorkerOperationMessage, 0, 0);
  Lock lock(run.lock);
  run.postRefused = !posted;
  if (!posted) run.messagePosted = false;
}

// Queues the calling worker's operation; false once the run has ended, the
// operation then destroyed on return, after the lock.
[[nodiscard]] bool Queue(WorkerRun& run, WorkerOperation operation, bool waited) {
  OperationQueue queued;
  queued.push_back({std::move(operation), waited});
  bool post;
  {
    Lock lock(run.lock);
    if (run.ended) return false;
    if (waited) run.waitedPerformed = false;
    run.queue.splice(run.queue.end(), queued);
    post = NeedsMessage(run);
  }
  // Carried out or dropped by the UI thread, even when the post was refused.
  if (post) PostOperationMessage(run);
  return true;
}

}  // namespace

bool WorkerShouldGoOn() {
  WorkerRun* run = runOfThisThread;
  if (!run) return false;
  WaitForSingleObject(run->gate.Get(), INFINITE);
  Lock lock(run->lock);
  return !run->ended;
}

bool WorkerWaitFor(DWORD milliseconds) {
  WorkerRun* run = runOfThisThread;
  if (!run) return false;
  DWORD left = milliseconds;
  for (;;) {
    if (!WorkerShouldGoOn()) return false;
    const DWORD start = GetTickCount();
    if (WaitForSingleObject(run->pausedOrEnded.Get(), left) == WAIT_TIMEOUT) break;
    // Paused or ended: what ran of the wait counts, the rest waits for the gate.
    const DWORD waited = GetTickCount() - start;
    left = waited < left ? left - waited : 0;
  }
  return WorkerShouldGoOn();
}

bool WorkerWaitUntil(HANDLE object) {
  WorkerRun* run = runOfThisThread;
  if (!run) return false;
  for (;;) {
    if (!WorkerShouldGoOn()) return false;
    HANDLE waits[] = {object, run->pausedOrEnded.Get()};
    const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    // Paused or ended: the check above waits for the gate, or tells the end.
    if (woken != WAIT_OBJECT_0 + 1) return WorkerShouldGoOn();
  }
}

bool RunForWorker(WorkerOperation operation) {
  WorkerRun* run = runOfThisThread;
  if (!run || !Queue(*run, std::move(operation), true)) return false;
  WaitForSingleObject(run->operationDone.Get(), INFINITE);
  Lock lock(run->lock);
  return run->waitedPerformed;
}

bool HandOnForWorker(WorkerOperation operation) {
  WorkerRun* run = runOfThisThread;
  return run && Queue(*run, std::move(operation), false);
}

WorkerRun* BeginWorkerRun(WorkerChannel& channel, HWND mainWindow, WorkerBody body, void* context,
                          WorkerRelease release, WorkerEndHook onEnd) {
  EndCurrentRun(channel);
  WorkerRun* run = new WorkerRun;
  // Without its events a worker could neither wait for a pause nor for an
  // operation (its operation would stay queued on its stack after it left).
  if (!run->gate || !run->pausedOrEnded || !run->operationDone) {
    delete run;
    if (release) release(context);
    return nullptr;
  }
  run->window = mainWindow;
  run->body = body;
  run->context = context;
  run->release = release;
  run->onEnd = onEnd;
  channel.current = run;
  return run;
}

DWORD WINAPI WorkerThreadProcedure(LPVOID parameter) {
  WorkerRun* run = static_cast<WorkerRun*>(parameter);
  runOfThisThread = run;
  if (run->body) run->body(run->context);
  runOfThisThread = nullptr;
  LetGo(run);
  return 0;
}

void AbandonWorkerRun(WorkerRun* run) { LetGo(run); }

void PauseCurrentRun(WorkerChannel& channel) {
  WorkerRun* run = channel.current;
  if (!run) return;
  Lock lock(run->lock);
  run->paused = true;
  ResetEvent(run->gate.Get());
  SetEvent(run->pausedOrEnded.Get());
}

void ResumeCurrentRun(WorkerChannel& channel) {
  WorkerRun* run = channel.current;
  if (!run) return;
  bool post;
  {
    Lock lock(run->lock);
    run->paused = false;
    ResetEvent(run->pausedOrEnded.Get());
    SetEvent(run->gate.Get());
    post = NeedsMessage(*run);
  }
  // What was held is carried out after the resuming handler has returned,
  // like any other operation.
  if (post) PostOperationMessage(*run);
}

void EndCurrentRun(WorkerChannel& channel) {
  WorkerRun* run = channel.current;
  if (!run) return;
  channel.current = nullptr;
  OperationQueue dropped;
  {
    Lock lock(run->lock);
    run->ended = true;
    dropped.splice(dropped.end(), run->queue);
    SetEvent(run->gate.Get());
    SetEvent(run->pausedOrEnded.Get());
  }
  // Only the last can be one the worker waits on: it queues nothing meanwhile.
  const bool workerWaits = !dropped.empty() && dropped.back().waited;
  // Destroyed outside the lock, with what they own, and before the worker goes
  // on: the one it waits on may refer to its stack.
  dropped.clear();
  if (workerWaits) SetEvent(run->operationDone.Get());
  // The UI thread's reference keeps the record alive through the hook.
  if (run->onEnd) run->onEnd(run->context);
  LetGo(run);
}

bool RunLostItsMessage(const WorkerChannel& channel) {
  WorkerRun* run = channel.current;
  if (!run) return false;
  Lock lock(run->lock);
  return run->postRefused && !run->queue.empty() && !run->ended && !run->paused;
}

void CarryOutQueuedOperations(WorkerChannel& channel) {
  for (;;) {
    WorkerRun* run = channel.current;
    if (!run) return;
    {
      Lock lock(run->lock);
      if (run->queue.empty() || run->ended || run->paused) return;
      // This call carries the queue: no message is needed for it.
      run->messagePosted = true;
    }
    RunQueuedOperations(channel);
  }
}

void RunQueuedOperations(WorkerChannel& channel) {
  WorkerRun* run = channel.current;
  if (!run) return;
  // One operation a message, and the message for the next one posted after
  // it, behind whatever the window has to do meanwhile: the window's other
  // messages never wait behind a line of operations.
  OperationQueue taken;
  {
    Lock lock(run->lock);
    run->messagePosted = false;
    if (run->ended || run->paused || run->queue.empty()) return;
    taken.splice(taken.end(), run->queue, run->queue.begin());
  }
  // The operation may end the run, and the worker may then leave and let go:
  // the record stays until this handling is done with it.
  InterlockedIncrement(&run->references);
  const bool waited = taken.front().waited;
  taken.front().perform();
  bool post;
  {
    Lock lock(run->lock);
    if (waited) run->waitedPerformed = true;
    post = NeedsMessage(*run);
  }
  if (post) PostOperationMessage(*run);
  // Destroyed before a waiting worker goes on: it may refer to its stack.
  taken.clear();
  if (waited) SetEvent(run->operationDone.Get());
  LetGo(run);
}
