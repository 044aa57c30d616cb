// While a handler runs a nested message loop: a new search started during the
// waits of 下载种子 does not change which addresses it hands to Thunder, TAB
// still moves the focus, and under the fatal report's own loop no operation
// a worker queued is carried out.
#include "tests/app/ResultActionsSupport.h"

#include <atomic>

#include "app/SearchRun.h"
#include "ui/WorkerChannel.h"

namespace {

// --- 下载种子 while a new search replaces the list ---

std::atomic<DWORD> otherRowsListedAt{0};
size_t thunderCallsAtClick = 0;

Text OtherAddress(int row) { return "magnet:?xt=urn:btih:other-" + DecimalText(row); }

// The new search: six checked rows of its own, listed in one step.
void ListOtherCheckedRows(SearchRunRecord& run) {
  const bool listed = RunForWorker([] {
    for (int count = 0; count < 6; ++count) {
      const int row = List().AppendRow();
      List().SetCellText(row, ResultColumn::Number, DecimalText(row + 1));
      List().SetCellText(row, ResultColumn::Address, OtherAddress(row));
      List().SetRowCheck(row, 1);
    }
  });
  if (!listed) return;
  otherRowsListedAt = GetTickCount();
  FinishSearchRun(run);
}

void CALLBACK ClickStartAfterTheFirstHandOff(HWND, UINT, UINT_PTR timer, DWORD) {
  if (ReceivedThunderCalls().size() < 2) return;
  KillTimer(nullptr, timer);
  thunderCallsAtClick = ReceivedThunderCalls().size();
  SendClick(app.window.搜索_按钮.handle);
}

TEST_F(ResultActions, ANewSearchDuringTheHandOffWaitsLeavesItTheAddressesCheckedWhenItWasChosen) {
  ThunderAgentRegistration thunder;
  AddRows(10);
  for (int row : {2, 5, 7}) List().SetRowCheck(row, 1);
  SetChecked(app.window.循环执行, true);
  app.search.workerBody = ListOtherCheckedRows;
  otherRowsListedAt = 0;
  thunderCallsAtClick = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, ClickStartAfterTheFirstHandOff);
  Choose(ControlId::下载种子);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(PumpUntilSignalled(app.search.workerThread.Get()));

  EXPECT_EQ(thunderCallsAtClick, 2u) << "开始 was not clicked in the first wait";
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 6u);
  const int expectedRows[] = {7, 5, 2};
  for (int at = 0; at < 3; ++at) {
    EXPECT_EQ(calls[2 * at].method, L"AddTask");
    EXPECT_EQ(calls[2 * at].argument, Wide(AddressOf(expectedRows[at]))) << at;
    EXPECT_EQ(calls[2 * at + 1].method, L"CommitTasks");
  }
  // The list held the new search's checked rows before the last hand-off.
  ASSERT_NE(otherRowsListedAt.load(), 0u);
  EXPECT_LE(otherRowsListedAt.load(), calls[4].tick);
  ASSERT_EQ(List().RowCount(), 6);
  for (int row = 0; row < 6; ++row) {
    EXPECT_EQ(List().GetCellText(row, ResultColumn::Address), OtherAddress(row));
    EXPECT_EQ(List().GetRowCheck(row), 1);
  }
}

// --- In child processes running the program (tests/app/ChildScenarios.cpp) ---

class NestedLoopChild : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!process) return;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
  }
  HANDLE process = nullptr;
};

TEST_F(NestedLoopChild, TabAndShiftTabMoveTheFocusAlongTheTabOrderWhileAHandlerWaits) {
  process = StartChildScenario("tab-during-download");
  ASSERT_NE(process, nullptr);
  // 20: TAB left the focus; 21: Shift+TAB did not bring it back; 22: the keys
  // were not pressed during the handler's waits; 23: the handler did not hand
  // on three rows; 24: 编辑框1 could not take the focus.
  EXPECT_EQ(WaitForExitCode(process, 20000), 0u);
}

TEST_F(NestedLoopChild, UnderTheFatalReportNoOperationAWorkerQueuedIsCarriedOut) {
  process = StartChildScenario("rows-behind-a-report");
  ASSERT_NE(process, nullptr);
  HWND window = WaitForProcessWindow(GetProcessId(process), kMainWindowClass, nullptr, 15000);
  ASSERT_NE(window, nullptr);
  HWND start = GetDlgItem(window, int(ControlId::搜索_按钮));
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(int(ControlId::搜索_按钮), BN_CLICKED), reinterpret_cast<LPARAM>(start));
  HWND box = WaitForProcessWindow(GetProcessId(process), L"#32770", L"\u9519\u8BEF", 10000);  // 错误
  ASSERT_NE(box, nullptr);
  // 运行时出错! / 错误信息：queued
  EXPECT_EQ(MessageBoxText(box), L"\u8FD0\u884C\u65F6\u51FA\u9519!\r\n\r\n\u9519\u8BEF\u4FE1\u606F\uFF1Aqueued\r\n");
  // The box's loop has had the twenty rows' messages by now.
  PumpMessagesFor(500);
  HWND list = GetDlgItem(window, int(ControlId::超级列表框1));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForExitCode(process), 4294967295u);
}

}  // namespace
