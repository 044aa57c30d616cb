// Control events reach the handler the table binds, and nothing else.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/WindowTestSupport.h"
#include "tests/ui/TestWindow.h"
#include "ui/MainWindow.h"

namespace {

std::string calls;  // one letter per handler call, in order
void OnSearch(void*) { calls += 's'; }
void OnSelectAll(void*) { calls += 'a'; }
void OnTick(void*) { calls += 't'; }
void OnRightClick(void*) { calls += 'r'; }
void OnCopy(void*) { calls += 'c'; }
void OnDownload(void*) { calls += 'd'; }
void OnEditChanged(void*) { calls += 'e'; }
void OnExactChanged(void*) { calls += 'k'; }
void OnClose(void*) {
  calls += 'x';
  // A handler that dispatches messages: none of them reaches a handler now.
  SendClick(mainWindow.搜索_按钮.handle);
}

EventTable TestTable() {
  return {
      {ControlId::搜索_按钮, ControlEvent::Clicked, OnSearch},
      {ControlId::全选框, ControlEvent::Clicked, OnSelectAll},
      {ControlId::记时间, ControlEvent::Tick, OnTick},
      {ControlId::超级列表框1, ControlEvent::RightClick, OnRightClick},
      {ControlId::复制下载地址, ControlEvent::Chosen, OnCopy},
      {ControlId::下载种子, ControlEvent::Chosen, OnDownload},
      {ControlId::编辑框1, ControlEvent::Changed, OnEditChanged},
      {ControlId::精确框, ControlEvent::Changed, OnExactChanged},
      {ControlId::MainWindow, ControlEvent::Closing, OnClose},
  };
}

class EventDelivery : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    ASSERT_TRUE(CreateMainWindow(mainWindow, TestTable()));
    window = mainWindow.window.handle;
  }
  void TearDown() override {
    DestroyMainWindow(mainWindow);
    PumpMessagesFor(10);
  }
  void SendNotify(UINT code) {
    NMHDR header = {mainWindow.超级列表框1.handle, UINT_PTR(ControlId::超级列表框1), code};
    SendMessageW(window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  }
  HWND window = nullptr;
};

TEST_F(EventDelivery, EachBoundEventCallsItsHandlerAndUnboundOnesNothing) {
  SendClick(mainWindow.搜索_按钮.handle);
  SendClick(mainWindow.停止_按钮.handle);  // not bound here
  SendMessageW(mainWindow.全选框.handle, BM_CLICK, 0, 0);  // the box toggles itself first
  SendMessageW(window, WM_TIMER, 1000, 0);
  SendMessageW(window, WM_TIMER, 999, 0);  // not 记时间
  SendNotify(NM_RCLICK);
  SendNotify(NM_CLICK);  // left clicks call no handler
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(int(ControlId::复制下载地址), 0), 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(int(ControlId::下载种子), 0), 0);
  EXPECT_EQ(calls, "satrcd");
  EXPECT_EQ(SendMessageW(mainWindow.全选框.handle, BM_GETCHECK, 0, 0), BST_CHECKED);
}

DWORD WINAPI CheckFromAnotherThread(LPVOID box) {
  SendMessageW(static_cast<HWND>(box), BM_SETCHECK, BST_UNCHECKED, 0);
  return 0;
}

// A search reads 编辑框1 and 精确框 as Changed left them: every way of
// changing either must raise it, after the change.
TEST_F(EventDelivery, EveryChangeOfTheKeywordOrTheExactBoxRaisesChanged) {
  HWND edit = mainWindow.编辑框1.handle;
  HWND exact = mainWindow.精确框.handle;
  SetWindowTextW(edit, L"ubuntu");
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 6, 6);  // no change
  SendMessageW(edit, WM_CHAR, L'x', 0);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"y"));
  EXPECT_EQ(calls, "eee");
  EXPECT_EQ(WindowTextOf(edit), L"ubuntuxy");

  calls.clear();
  SendMessageW(exact, BM_CLICK, 0, 0);  // the user's click
  EXPECT_EQ(SendMessageW(exact, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(exact, BM_SETCHECK, BST_CHECKED, 0);  // another program's message
  HANDLE thread = CreateThread(nullptr, 0, CheckFromAnotherThread, exact, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(PumpUntilSignalled(thread, 5000));
  CloseHandle(thread);
  EXPECT_EQ(SendMessageW(exact, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(mainWindow.循环执行.handle, BM_SETCHECK, BST_CHECKED, 0);  // not bound here
  EXPECT_EQ(calls, "kkk");
}

TEST_F(EventDelivery, TheRealTimerTicksOnTheUiThread) {
  mainWindow.记时间.SetInterval(50);
  EXPECT_TRUE(PumpUntil([] { return calls.size() >= 2; }, 3000));
  mainWindow.记时间.SetInterval(0);
  PumpMessagesFor(30);
  size_t count = calls.size();
  PumpMessagesFor(200);
  EXPECT_EQ(calls.size(), count);
}

TEST_F(EventDelivery, ClosingCallsItsHandlerOnceThenNoHandlerRuns) {
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(calls, "x");  // the click sent from inside the close handler ran nothing
  EXPECT_FALSE(IsWindow(window));
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(EventDelivery, EndingTheSessionClosesLikeTheCloseButton) {
  EXPECT_TRUE(SendMessageW(window, WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(calls, "x");
  EXPECT_FALSE(IsWindow(window));
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The menu's modal loop still dispatches this thread's timer callbacks.
RECT popupRect;
bool popupSeen = false;
void CALLBACK CloseThePopup(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  KillTimer(nullptr, timer);
  popupSeen = true;
  GetWindowRect(popup, &popupRect);
  EndMenu();
}

TEST_F(EventDelivery, PopupMenuOpensThreePixelsOffTheCursorAndEscapeChoosesNothing) {
  ASSERT_TRUE(SetCursorPos(300, 300));
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(window);
  UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseThePopup);
  mainWindow.右键选项.PopUpAtCursor(window);
  KillTimer(nullptr, timer);
  ASSERT_TRUE(popupSeen);
  EXPECT_EQ(popupRect.left, cursor.x + 3);
  EXPECT_EQ(popupRect.top, cursor.y + 3);
  PumpMessagesFor(50);
  EXPECT_EQ(calls, "");
  ASSERT_EQ(mainWindow.右键选项.items.size(), 3u);
  EXPECT_EQ(mainWindow.右键选项.items[0].text, "\xB8\xB4\xD6\xC6\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7");  // 复制下载地址
  EXPECT_EQ(mainWindow.右键选项.items[1].text, "\xCF\xC2\xD4\xD8\xD6\xD6\xD7\xD3");  // 下载种子
  EXPECT_EQ(mainWindow.右键选项.items[2].text, "\xB5\xBC\xB3\xF6\xC1\xD0\xB1\xED...");  // 导出列表...
  EXPECT_EQ(mainWindow.右键选项.items[2].id, ControlId::导出列表);
}

}  // namespace
