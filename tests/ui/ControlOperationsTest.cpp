// The control operations on the UI thread, with GBK texts whatever the ANSI code page.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/ui/WindowTestSupport.h"
#include "tests/ui/TestWindow.h"
#include "ui/MainWindow.h"

namespace {

const Text kChinese = "\xD6\xD0\xCE\xC4";  // 中文
const Text kClose = "\xB9\xD8\xB1\xD5";    // 关闭

class ControlOperations : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateMainWindow(mainWindow, {})); }
  void TearDown() override { DestroyMainWindow(mainWindow); }
  ListView& list = mainWindow.超级列表框1;
};

TEST_F(ControlOperations, TextsCrossToTheWindowsAsCodePage936) {
  mainWindow.window.SetTitle(kChinese);
  EXPECT_EQ(WindowTextOf(mainWindow.window.handle), L"\u4E2D\u6587");  // 中文
  EXPECT_EQ(mainWindow.window.title, kChinese);

  mainWindow.搜索_按钮.SetCaption(kClose);
  EXPECT_EQ(mainWindow.搜索_按钮.GetCaption(), kClose);
  EXPECT_EQ(WindowTextOf(mainWindow.搜索_按钮.handle), L"\u5173\u95ED");  // 关闭

  SetWindowTextW(mainWindow.编辑框1.handle, L"\u4E2D\u6587 abc");  // 中文 abc
  EXPECT_EQ(mainWindow.编辑框1.GetText(), kChinese + " abc");
  SetWindowTextW(mainWindow.编辑框1.handle, L"");
  EXPECT_EQ(mainWindow.编辑框1.GetText(), "");
}

TEST_F(ControlOperations, CaptionIsTheKeptOneNotTheWindowText) {
  SetWindowTextW(mainWindow.停止_按钮.handle, L"x");
  EXPECT_EQ(mainWindow.停止_按钮.GetCaption(), "\xCD\xA3\xD6\xB9");  // 停止
}

TEST_F(ControlOperations, CheckBoxReadsTheWindow) {
  EXPECT_FALSE(mainWindow.精确框.IsChecked());
  SendMessageW(mainWindow.精确框.handle, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(mainWindow.精确框.IsChecked());
}

TEST_F(ControlOperations, TimerStartsStopsAndTreatsNegativeAsZero) {
  Timer& timer = mainWindow.记时间;
  timer.SetInterval(1000);
  EXPECT_TRUE(timer.running);
  EXPECT_EQ(timer.interval, 1000);
  timer.SetInterval(1000);
  EXPECT_TRUE(timer.running);
  timer.SetInterval(-5);
  EXPECT_FALSE(timer.running);
  EXPECT_EQ(timer.interval, 0);
  // Stopped for the system too: KillTimer finds nothing left to kill.
  EXPECT_FALSE(KillTimer(mainWindow.window.handle, 1000));
}

TEST_F(ControlOperations, StatusPartTextChangesOnlyExistingParts) {
  StatusBar& bar = mainWindow.状态条;
  bar.SetPartText(3, "together " + kChinese);
  bar.SetPartText(4, "no");
  bar.SetPartText(-1, "no");
  const wchar_t* shown[] = {L"engine=1", L"version=1.0", L"It took 0 when", L"together \u4E2D\u6587"};  // 中文
  for (int index = 0; index < 4; ++index) {
    wchar_t text[64] = {};
    SendMessageW(bar.handle, SB_GETTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, shown[index]);
  }
  EXPECT_EQ(bar.parts[3].text, "together " + kChinese);
  EXPECT_EQ(bar.parts[2].width, 150);
}

TEST_F(ControlOperations, RowsAppendWithEmptyUncheckedCells) {
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.SelectedRow(), -1);
  EXPECT_EQ(list.AppendRow(), 0);
  EXPECT_EQ(list.AppendRow(), 1);
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.GetRowCheck(1), 0);
  EXPECT_EQ(list.GetCellText(1, ResultColumn::Size), "");
  list.SetCellText(1, ResultColumn::Address, "magnet:?xt=" + kChinese);
  EXPECT_EQ(list.GetCellText(1, ResultColumn::Address), "magnet:?xt=" + kChinese);
  list.DeleteAllRows();
  EXPECT_EQ(list.RowCount(), 0);
}

TEST_F(ControlOperations, CellsOutOfRangeGiveEmptyAndChangeNothing) {
  ASSERT_EQ(list.AppendRow(), 0);
  list.SetCellText(0, ResultColumn::Number, "1");
  list.SetCellText(1, ResultColumn::Number, "x");
  list.SetCellText(0, kResultColumnCount, "x");
  list.SetCellText(-1, ResultColumn::Address, "x");  // never every row
  EXPECT_EQ(list.GetCellText(-1, ResultColumn::Address), "");
  EXPECT_EQ(list.GetCellText(0, kResultColumnCount), "");
  EXPECT_EQ(list.GetCellText(0, -1), "");
  EXPECT_EQ(list.GetCellText(1, ResultColumn::Number), "");
  EXPECT_EQ(list.GetCellText(0, ResultColumn::Number), "1");
  EXPECT_EQ(list.GetCellText(0, ResultColumn::Address), "");
  EXPECT_EQ(list.RowCount(), 1);
}

TEST_F(ControlOperations, RowChecksReadAndSetTheStateImage) {
  EXPECT_EQ(list.GetRowCheck(0), -1);  // no such row
  ASSERT_EQ(list.AppendRow(), 0);
  ASSERT_EQ(list.AppendRow(), 1);
  list.SetRowCheck(1, 1);
  EXPECT_EQ(list.GetRowCheck(1), 1);
  EXPECT_EQ(list.GetRowCheck(0), 0);
  EXPECT_EQ(SendMessageW(list.handle, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), 2 << 12);
  list.SetRowCheck(1, 0);
  EXPECT_EQ(list.GetRowCheck(1), 0);
  list.SetRowCheck(0, -7);  // below -1: the check box goes
  EXPECT_EQ(list.GetRowCheck(0), -1);
  EXPECT_EQ(list.GetRowCheck(2), -1);
}

TEST_F(ControlOperations, SelectedRowFollowsTheListsSelection) {
  for (int row = 0; row < 3; ++row) ASSERT_EQ(list.AppendRow(), row);
  EXPECT_EQ(list.SelectedRow(), -1);
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendMessageW(list.handle, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(list.SelectedRow(), 2);
}

}  // namespace
