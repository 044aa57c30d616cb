// Control operations called on a real worker thread reach the controls only
// through the UI thread, only while the run is current and not paused.
#include <gtest/gtest.h>

#include <vector>

#include "system/Holders.h"
#include "tests/ui/WindowTestSupport.h"
#include "tests/ui/TestWindow.h"
#include "ui/MainWindow.h"
#include "system/WindowMessages.h"
#include "ui/WorkerChannel.h"

namespace {

const Text kClose = "\xB9\xD8\xB1\xD5";  // 关闭

// What the bodies saw, written by the worker, read after it has finished.
struct Seen {
  Text editText;
  Text caption;
  bool checked = false;
  int appended = -2;
  int rowCount = -2;
  Text cell;
  LONG gatePasses = 0;
  bool leftAtGate = false;
};
Seen seen;

void ReadAndWriteOnce(void*) {
  seen.editText = mainWindow.编辑框1.GetText();
  mainWindow.搜索_按钮.SetCaption(kClose);
  seen.caption = mainWindow.搜索_按钮.GetCaption();
  seen.checked = mainWindow.精确框.IsChecked();
  seen.appended = mainWindow.超级列表框1.AppendRow();
  mainWindow.超级列表框1.SetCellText(seen.appended, ResultColumn::FileName, "\xD6\xD0");  // 中
  seen.cell = mainWindow.超级列表框1.GetCellText(seen.appended, ResultColumn::FileName);
  seen.rowCount = mainWindow.超级列表框1.RowCount();
  mainWindow.状态条.SetPartText(3, "together 1 results");
  mainWindow.记时间.SetInterval(1000);
}

// Appends rows with no gate of its own: it stops only when a row is refused.
void AppendUntilRefused(void*) {
  while (mainWindow.超级列表框1.AppendRow() >= 0) Sleep(1);
  seen.rowCount = mainWindow.超级列表框1.RowCount();
  seen.editText = mainWindow.编辑框1.GetText();
  seen.checked = mainWindow.精确框.IsChecked();
  seen.caption = mainWindow.搜索_按钮.GetCaption();
}

// Touches no control: only the gate.
void PassTheGate(void*) {
  while (WorkerShouldGoOn()) {
    InterlockedIncrement(&seen.gatePasses);
    Sleep(1);
  }
  seen.leftAtGate = true;
}

// The main window's operation messages, counted as they are dispatched; each
// operation notes the count it was carried out under.
WNDPROC mainWindowProcedure = nullptr;
LONG operationMessages = 0;
std::vector<LONG> operationRanUnder;  // UI thread only

LRESULT CALLBACK CountOperationMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWorkerOperationMessage) ++operationMessages;
  return CallWindowProcW(mainWindowProcedure, window, message, wParam, lParam);
}

constexpr int kQuickOperations = 2000;

// Operations that cost the UI thread nothing, one straight after the other.
void QuickOperations(void*) {
  for (int each = 0; each < kQuickOperations; ++each)
    if (!RunForWorker([] { operationRanUnder.push_back(operationMessages); })) return;
}

class WorkerChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    seen = Seen();
    ASSERT_TRUE(CreateMainWindow(mainWindow, {}));
  }
  void TearDown() override {
    EndCurrentRun(mainWindow.channel);
    if (thread) {
      EXPECT_TRUE(PumpUntilSignalled(thread, 5000));
      CloseHandle(thread);
    }
    DestroyMainWindow(mainWindow);
  }
  void Start(WorkerBody body) {
    WorkerRun* run = BeginWorkerRun(mainWindow.channel, mainWindow.window.handle, body, nullptr, nullptr);
    thread = CreateThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
  }
  bool Finished() const { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }
  HANDLE thread = nullptr;
};

TEST_F(WorkerChannel, EachOperationHasTakenEffectWhenItReturnsToTheWorker) {
  SetWindowTextW(mainWindow.编辑框1.handle, L"\u4E2D");  // 中
  SendMessageW(mainWindow.精确框.handle, BM_SETCHECK, BST_CHECKED, 0);
  Start(ReadAndWriteOnce);
  ASSERT_TRUE(PumpUntilSignalled(thread));
  EXPECT_EQ(seen.editText, "\xD6\xD0");  // 中
  EXPECT_EQ(seen.caption, kClose);
  EXPECT_TRUE(seen.checked);
  EXPECT_EQ(seen.appended, 0);
  EXPECT_EQ(seen.cell, "\xD6\xD0");  // 中
  EXPECT_EQ(seen.rowCount, 1);
  EXPECT_EQ(WindowTextOf(mainWindow.搜索_按钮.handle), L"\u5173\u95ED");  // 关闭
  EXPECT_EQ(mainWindow.状态条.parts[3].text, "together 1 results");
  // Started from the worker, the timer belongs to the UI thread all the same.
  EXPECT_TRUE(mainWindow.记时间.running);
  EXPECT_TRUE(KillTimer(mainWindow.window.handle, 1000));
}

TEST_F(WorkerChannel, TheWorkerWaitsForTheUiThreadWhichNeverWaitsForIt) {
  Start(ReadAndWriteOnce);
  // Without message dispatch on the UI thread nothing reaches the controls.
  EXPECT_EQ(WaitForSingleObject(thread, 300), DWORD(WAIT_TIMEOUT));
  EXPECT_EQ(mainWindow.搜索_按钮.caption, "\xBF\xAA\xCA\xBC");  // 开始
  ASSERT_TRUE(PumpUntilSignalled(thread));
}

TEST_F(WorkerChannel, PauseHoldsOperationsUntilResume) {
  ListView& list = mainWindow.超级列表框1;
  Start(AppendUntilRefused);
  ASSERT_TRUE(PumpUntil([&] { return list.RowCount() >= 5; }));
  PauseCurrentRun(mainWindow.channel);
  int rows = list.RowCount();
  PumpMessagesFor(300);
  EXPECT_EQ(list.RowCount(), rows);
  EXPECT_FALSE(Finished());
  ResumeCurrentRun(mainWindow.channel);
  EXPECT_TRUE(PumpUntil([&] { return list.RowCount() >= rows + 5; }));
}

// One operation the worker waits for at once; then, when told (while paused,
// each message used up by the pause), five handed on and one it waits for, as
// a run's last page does.
HANDLE queueNow = nullptr;
std::vector<int> carriedOut;  // UI thread only
WorkerOperation NoteOperation(int number) {
  return [number] { carriedOut.push_back(number); };
}
void QueueWhilePausedThenWait(void*) {
  if (!RunForWorker(NoteOperation(0))) return;
  WaitForSingleObject(queueNow, INFINITE);
  for (int number = 1; number <= 5; ++number)
    if (!HandOnForWorker(NoteOperation(number))) return;
  seen.leftAtGate = RunForWorker(NoteOperation(6));
}

TEST_F(WorkerChannel, EveryOperationQueuedWhilePausedIsCarriedOutInOrderAfterResume) {
  KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  queueNow = event.Get();
  carriedOut.clear();
  Start(QueueWhilePausedThenWait);
  PauseCurrentRun(mainWindow.channel);
  SetEvent(queueNow);
  PumpMessagesFor(300);
  EXPECT_TRUE(carriedOut.empty());
  ResumeCurrentRun(mainWindow.channel);
  ASSERT_TRUE(PumpUntilSignalled(thread, 1000));
  EXPECT_EQ(carriedOut, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(seen.leftAtGate);
}

TEST_F(WorkerChannel, OperationsWhosePostIsRefusedWaitForTheUiThreadsLookAndRunInOrder) {
  // A window that is gone refuses every post, as a full message queue does.
  HWND gone = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(DestroyWindow(gone));
  KernelHandle event(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  queueNow = event.Get();
  carriedOut.clear();
  WorkerRun* run = BeginWorkerRun(mainWindow.channel, gone, QueueWhilePausedThenWait, nullptr, nullptr);
  ASSERT_NE(run, nullptr);
  thread = CreateThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // The worker is not told its run ended: it waits for its last operation.
  ASSERT_TRUE(PumpUntil([&] { return RunLostItsMessage(mainWindow.channel) && carriedOut.empty(); }, 5000));
  PumpMessagesFor(200);
  EXPECT_FALSE(Finished());
  EXPECT_TRUE(carriedOut.empty());
  ASSERT_TRUE(PumpUntil([&] {
    CarryOutQueuedOperations(mainWindow.channel);
    return Finished();
  }, 5000));
  EXPECT_EQ(carriedOut, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(seen.leftAtGate);
  EXPECT_FALSE(RunLostItsMessage(mainWindow.channel));
}

// The worker's answer is its own operation's, not the one carried out before it.
TEST_F(WorkerChannel, AnOperationTheWorkerWaitsOnThatTheEndDropsSaysSo) {
  KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  queueNow = event.Get();
  carriedOut.clear();
  seen.leftAtGate = true;
  Start(QueueWhilePausedThenWait);
  ASSERT_TRUE(PumpUntil([] { return !carriedOut.empty(); }));
  PauseCurrentRun(mainWindow.channel);
  SetEvent(queueNow);
  PumpMessagesFor(300);  // the worker now waits on its last operation
  EndCurrentRun(mainWindow.channel);
  ASSERT_TRUE(PumpUntilSignalled(thread));
  EXPECT_EQ(carriedOut, (std::vector<int>{0}));
  EXPECT_FALSE(seen.leftAtGate);
}

TEST_F(WorkerChannel, EndDropsThePendingOperationAndLaterOnesWithEmptyResults) {
  ListView& list = mainWindow.超级列表框1;
  SetWindowTextW(mainWindow.编辑框1.handle, L"abc");
  SendMessageW(mainWindow.精确框.handle, BM_SETCHECK, BST_CHECKED, 0);
  Start(AppendUntilRefused);
  ASSERT_TRUE(PumpUntil([&] { return list.RowCount() >= 3; }));
  PauseCurrentRun(mainWindow.channel);
  PumpMessagesFor(50);  // the worker is now held inside AppendRow
  int rows = list.RowCount();
  EndCurrentRun(mainWindow.channel);
  // The worker leaves with no help from the UI thread.
  ASSERT_EQ(WaitForSingleObject(thread, 5000), DWORD(WAIT_OBJECT_0));
  PumpMessagesFor(50);
  EXPECT_EQ(list.RowCount(), rows);
  EXPECT_EQ(seen.rowCount, 0);
  EXPECT_EQ(seen.editText, "");
  EXPECT_FALSE(seen.checked);
  EXPECT_EQ(seen.caption, "");
}

TEST_F(WorkerChannel, EndingARunningWorkerStopsItAtOnce) {
  ListView& list = mainWindow.超级列表框1;
  Start(AppendUntilRefused);
  ASSERT_TRUE(PumpUntil([&] { return list.RowCount() >= 3; }));
  EndCurrentRun(mainWindow.channel);
  int rows = list.RowCount();
  ASSERT_TRUE(PumpUntilSignalled(thread));
  EXPECT_EQ(list.RowCount(), rows);
}

TEST_F(WorkerChannel, TheGateWaitsWhilePausedAndSaysStopOnceEnded) {
  Start(PassTheGate);
  ASSERT_TRUE(PumpUntil([] { return seen.gatePasses > 3; }));
  PauseCurrentRun(mainWindow.channel);
  Sleep(50);
  LONG passes = InterlockedCompareExchange(&seen.gatePasses, 0, 0);
  Sleep(200);
  EXPECT_LE(InterlockedCompareExchange(&seen.gatePasses, 0, 0), passes + 1);
  ResumeCurrentRun(mainWindow.channel);
  EXPECT_TRUE(PumpUntil([&] { return InterlockedCompareExchange(&seen.gatePasses, 0, 0) > passes + 1; }));
  PauseCurrentRun(mainWindow.channel);
  EndCurrentRun(mainWindow.channel);  // ended while paused: the gate opens and says no
  ASSERT_EQ(WaitForSingleObject(thread, 5000), DWORD(WAIT_OBJECT_0));
  EXPECT_TRUE(seen.leftAtGate);
}

// Waits on an event nobody sets but the test: as a worker that waits for an
// earlier one to leave.
HANDLE awaited = nullptr;
bool waitSaid = true;
void WaitForTheEvent(void*) { waitSaid = WorkerWaitUntil(awaited); }

LONG endHookCalls = 0;
DWORD endHookThread = 0;
void CountEnd(void*) {
  ++endHookCalls;
  endHookThread = GetCurrentThreadId();
}

TEST_F(WorkerChannel, EndingARunTellsItsEndHookOnceOnTheUiThread) {
  endHookCalls = 0;
  WorkerRun* run =
      BeginWorkerRun(mainWindow.channel, mainWindow.window.handle, PassTheGate, nullptr, nullptr, CountEnd);
  thread = CreateThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_TRUE(PumpUntil([] { return seen.gatePasses > 0; }));
  EndCurrentRun(mainWindow.channel);
  EndCurrentRun(mainWindow.channel);  // no current run: nothing more
  EXPECT_EQ(endHookCalls, 1);
  EXPECT_EQ(endHookThread, GetCurrentThreadId());
  ASSERT_TRUE(PumpUntilSignalled(thread));
}

TEST_F(WorkerChannel, AWaitForAnotherObjectEndsWithItOrWithTheRun) {
  KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  awaited = event.Get();
  waitSaid = false;
  Start(WaitForTheEvent);
  EXPECT_EQ(WaitForSingleObject(thread, 200), DWORD(WAIT_TIMEOUT));
  SetEvent(event.Get());
  ASSERT_TRUE(PumpUntilSignalled(thread));
  EXPECT_TRUE(waitSaid);
  CloseHandle(thread);

  ResetEvent(event.Get());
  waitSaid = true;
  Start(WaitForTheEvent);
  PauseCurrentRun(mainWindow.channel);  // a pause alone does not end the wait
  EXPECT_EQ(WaitForSingleObject(thread, 200), DWORD(WAIT_TIMEOUT));
  EndCurrentRun(mainWindow.channel);
  ASSERT_TRUE(PumpUntilSignalled(thread, 2000));
  EXPECT_FALSE(waitSaid);
}

TEST_F(WorkerChannel, AnEndedRunsWorkerCannotReachANewRun) {
  ListView& list = mainWindow.超级列表框1;
  Start(AppendUntilRefused);
  ASSERT_TRUE(PumpUntil([&] { return list.RowCount() >= 1; }));
  PauseCurrentRun(mainWindow.channel);
  PumpMessagesFor(30);
  HANDLE first = thread;
  thread = nullptr;
  // A new run ends the paused one; its held row is dropped, not run for the new one.
  Start(PassTheGate);
  int rows = list.RowCount();
  ASSERT_TRUE(PumpUntilSignalled(first));
  CloseHandle(first);
  PumpMessagesFor(50);
  EXPECT_EQ(list.RowCount(), rows);
}

// Were an operation queued meanwhile carried out in the same message, its own
// message would carry out the next one, and so on: a growing line of them
// would hold back every other message of the window.
TEST_F(WorkerChannel, EachOperationIsCarriedOutByItsOwnMessage) {
  operationMessages = 0;
  operationRanUnder.clear();
  mainWindowProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      mainWindow.window.handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountOperationMessages)));
  Start(QuickOperations);
  ASSERT_TRUE(PumpUntilSignalled(thread, 60000));
  PumpMessagesFor(50);
  ASSERT_EQ(operationRanUnder.size(), size_t(kQuickOperations));
  int sharedMessages = 0;
  for (size_t index = 1; index < operationRanUnder.size(); ++index)
    if (operationRanUnder[index] == operationRanUnder[index - 1]) ++sharedMessages;
  EXPECT_EQ(sharedMessages, 0);
  EXPECT_EQ(operationMessages, kQuickOperations);
}

DWORD WINAPI ActWithoutARun(LPVOID) {
  seen.appended = mainWindow.超级列表框1.AppendRow();
  seen.leftAtGate = !WorkerShouldGoOn();
  return 0;
}

TEST_F(WorkerChannel, AThreadThatIsNoWorkerGetsNothingDone) {
  HANDLE other = CreateThread(nullptr, 0, ActWithoutARun, nullptr, 0, nullptr);
  ASSERT_TRUE(PumpUntilSignalled(other));
  CloseHandle(other);
  EXPECT_EQ(seen.appended, -1);
  EXPECT_TRUE(seen.leftAtGate);
  EXPECT_EQ(mainWindow.超级列表框1.RowCount(), 0);
}

}  // namespace
