// Rows streamed in from a worker turn the list's drawing off for a moment; it
// always comes back on by itself, and nothing else about the list changes meanwhile.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/WorkerChannel.h"

namespace {

// More than the list shows, so that it scrolls.
constexpr int kStreamedRows = 60;
// The drawing delay and a generous margin for a loaded machine.
constexpr int kDrawingBackWithin = int(ListView::kDrawingDelay) + 2000;

LONG rowsAppended = 0;

void AppendRows() {
  ListView& list = mainWindow.超级列表框1;
  for (int each = 0; each < kStreamedRows && WorkerShouldGoOn(); ++each) {
    const int row = list.AppendRow();
    list.SetCellText(row, 0, DecimalText(row + 1));
    list.SetCellText(row, 1, "\xD6\xD0");  // 中
    InterlockedIncrement(&rowsAppended);
    Sleep(1);
  }
}

// Whether the list really draws: a changed visible cell invalidates it only then
// (a text set again unchanged invalidates nothing).
bool ListDraws(ListView& list) {
  static int changes = 0;
  ValidateRect(list.handle, nullptr);
  list.SetCellText(0, 1, "redrawn " + DecimalText(++changes));
  return GetUpdateRect(list.handle, nullptr, FALSE) != FALSE;
}

class ListDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    rowsAppended = 0;
    ASSERT_TRUE(CreateMainWindow(mainWindow, {}));
  }
  void TearDown() override {
    EndCurrentRun();
    if (thread) {
      EXPECT_TRUE(PumpUntilSignalled(thread, 10000));
      CloseHandle(thread);
    }
    DestroyMainWindow(mainWindow);
  }
  void Start(WorkerBody body) {
    WorkerRun* run = BeginWorkerRun(mainWindow.window.handle, body);
    thread = CreateThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
  }
  ListView& list = mainWindow.超级列表框1;
  HANDLE thread = nullptr;
};

TEST_F(ListDrawing, ComesBackOnAfterTheLastStreamedRowWithEveryRowAndTheScrollRange) {
  ASSERT_TRUE(IsWindowVisible(mainWindow.window.handle));
  Start(AppendRows);
  ASSERT_TRUE(PumpUntilSignalled(thread, 30000));
  EXPECT_TRUE(PumpUntil([&] { return !list.drawingHeld; }, kDrawingBackWithin));
  EXPECT_TRUE(ListDraws(list));
  ASSERT_EQ(list.RowCount(), kStreamedRows);
  for (int row = 1; row < kStreamedRows; ++row) {
    EXPECT_EQ(list.GetCellText(row, 0), DecimalText(row + 1));
    EXPECT_EQ(list.GetCellText(row, 1), "\xD6\xD0");  // 中
  }
  SCROLLINFO scroll = {};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_RANGE | SIF_PAGE;
  ASSERT_TRUE(GetScrollInfo(list.handle, SB_VERT, &scroll));
  EXPECT_EQ(scroll.nMax, kStreamedRows - 1);
  EXPECT_LT(int(scroll.nPage), kStreamedRows);
}

TEST_F(ListDrawing, ComesBackOnWhileTheRunIsPausedAndAfterItHasEnded) {
  Start(AppendRows);
  ASSERT_TRUE(PumpUntil([] { return rowsAppended >= 3; }));
  PauseCurrentRun();
  EXPECT_TRUE(PumpUntil([&] { return !list.drawingHeld; }, kDrawingBackWithin));
  EXPECT_TRUE(ListDraws(list));
  ResumeCurrentRun();
  ASSERT_TRUE(PumpUntil([] { return rowsAppended >= 10; }));
  EndCurrentRun();
  ASSERT_TRUE(PumpUntilSignalled(thread));
  EXPECT_TRUE(PumpUntil([&] { return !list.drawingHeld; }, kDrawingBackWithin));
  EXPECT_TRUE(ListDraws(list));
}

TEST_F(ListDrawing, ReadsChecksAndSelectionWorkWhileDrawingIsOff) {
  for (int row = 0; row < 3; ++row) ASSERT_EQ(list.AppendRow(), row);
  ASSERT_TRUE(list.drawingHeld);
  EXPECT_FALSE(ListDraws(list));
  // Still a visible window for the mouse and the popup menu.
  EXPECT_TRUE(IsWindowVisible(list.handle));
  list.SetCellText(2, 3, "magnet:?xt=urn:btih:1");
  EXPECT_EQ(list.GetCellText(2, 3), "magnet:?xt=urn:btih:1");
  list.SetRowCheck(1, 1);
  EXPECT_EQ(list.GetRowCheck(1), 1);
  EXPECT_EQ(list.GetRowCheck(0), 0);
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list.handle, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(list.SelectedRow(), 2);
  EXPECT_TRUE(list.drawingHeld);  // none of that turned it on, or restarted the wait
  EXPECT_TRUE(PumpUntil([&] { return !list.drawingHeld; }, kDrawingBackWithin));
  EXPECT_TRUE(ListDraws(list));
  EXPECT_EQ(list.GetRowCheck(1), 1);
  EXPECT_EQ(list.SelectedRow(), 2);
}

TEST_F(ListDrawing, DestroyingTheWindowWithTheTimerPendingIsClean) {
  ASSERT_GE(list.AppendRow(), 0);
  ASSERT_TRUE(list.drawingHeld);
  DestroyMainWindow(mainWindow);
  // The timer went with the list: nothing fires into the emptied record.
  PumpMessagesFor(int(ListView::kDrawingDelay) * 3);
  EXPECT_FALSE(list.drawingHeld);
  ASSERT_TRUE(CreateMainWindow(mainWindow, {}));
  ASSERT_EQ(list.AppendRow(), 0);
  EXPECT_TRUE(list.drawingHeld);
  EXPECT_TRUE(PumpUntil([&] { return !list.drawingHeld; }, kDrawingBackWithin));
  EXPECT_TRUE(ListDraws(list));
}

}  // namespace
