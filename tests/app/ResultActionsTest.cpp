// The result actions over the live window: check boxes, the real clipboard of
// the session, and the notices shown while handing rows to Thunder (which is
// not installed in the test prefix).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/ProgramStart.h"
#include "app/SearchState.h"
#include "tests/app/ThunderAgentComponent.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

const std::wstring kPickRows = L"\u8BF7\u9009\u4E2D\u9700\u4E0B\u8F7D\u7684\u5E8F\u53F7!";  // 请选中需下载的序号!
const std::wstring kNoThunder = L"\u60A8\u8FD8\u6CA1\u6709\u5B89\u88C5\u8FC5\u96F7!";       // 您还没有安装迅雷!
const std::wstring kNoticeCaption = L"\u63D0\u793A";                                       // 提示

ListView& List() { return app.window.超级列表框1; }

Text AddressOf(int row) { return "magnet:?xt=urn:btih:" + DecimalText(row); }

// A notice seen by the closer: its text and when it appeared.
struct Notice {
  std::wstring text;
  DWORD tick;
};

// Finds the process's "提示" boxes from a thread of its own (the handler that
// shows one is blocked inside it), records them and presses OK.
struct NoticeCloser {
  std::vector<Notice> notices;
  std::atomic<bool> stop{false};
  HANDLE thread = nullptr;

  static BOOL CALLBACK CloseIfNotice(HWND window, LPARAM parameter) {
    auto* closer = reinterpret_cast<NoticeCloser*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    if (ClassNameOf(window) != L"#32770" || WindowTextOf(window) != kNoticeCaption) return TRUE;
    closer->notices.push_back({MessageBoxText(window), GetTickCount()});
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static DWORD WINAPI Run(void* parameter) {
    auto* closer = static_cast<NoticeCloser*>(parameter);
    while (!closer->stop) {
      EnumWindows(CloseIfNotice, LPARAM(closer));
      Sleep(5);
    }
    return 0;
  }
  NoticeCloser() { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
  ~NoticeCloser() {
    stop = true;
    PumpUntilSignalled(thread);
    CloseHandle(thread);
  }
};

class ResultActions : public ::testing::Test {
 protected:
  // COM as the program has it on its UI thread.
  void SetUp() override {
    comInitialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_TRUE(CreateAppWindow(app));
  }
  void TearDown() override {
    ResetAppState();
    if (comInitialised) CoUninitialize();
  }
  static void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
      int row = List().AppendRow();
      List().SetCellText(row, 0, DecimalText(row + 1));
      List().SetCellText(row, 3, AddressOf(row));
    }
  }
  static void SetChecked(CheckBox& box, bool checked) {
    SendMessageW(box.handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  static void Select(int row) {
    ListView_SetItemState(List().handle, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  bool comInitialised = false;
  static void Choose(ControlId item) { SendMessageW(app.window.window.handle, WM_COMMAND, WPARAM(item), 0); }
};

// The clipboard's bytes in a format, empty when it has none.
std::string ClipboardBytes(UINT format) {
  std::string bytes;
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE data = GetClipboardData(format)) {
    const char* start = static_cast<const char*>(GlobalLock(data));
    size_t size = GlobalSize(data);
    if (start) bytes.assign(start, size);
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

// The text up to its terminating zero, checking that the zero is there.
std::string UpToZero(const std::string& bytes, size_t unit) {
  for (size_t i = 0; i + unit <= bytes.size(); i += unit)
    if (bytes.compare(i, unit, std::string(unit, '\0')) == 0) return bytes.substr(0, i);
  ADD_FAILURE() << "no terminating zero";
  return bytes;
}

std::string Utf16Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

void PutMarkerOnClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 7);
  memcpy(GlobalLock(block), "marker", 7);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

TEST_F(ResultActions, SelectAllGivesEveryRowTheBoxStateAndDoesNothingOnAnEmptyList) {
  SetChecked(app.window.全选框, true);
  SendClick(app.window.全选框.handle);
  EXPECT_EQ(List().RowCount(), 0);

  AddRows(5);
  List().SetRowCheck(1, 1);
  List().SetRowCheck(3, 1);
  SendClick(app.window.全选框.handle);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(List().GetRowCheck(row), 1) << row;
  SetChecked(app.window.全选框, false);
  List().SetRowCheck(2, 0);
  SendClick(app.window.全选框.handle);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(List().GetRowCheck(row), 0) << row;
}

TEST_F(ResultActions, CopyPutsTheSelectedAddressExactlyAsAnsiAndUnicodeText) {
  AddRows(3);
  // A double-byte file name is not copied; the address cell may carry 中 (D6 D0).
  List().SetCellText(1, 3, "magnet:?xt=\xD6\xD0");
  Select(1);
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "magnet:?xt=\xD6\xD0");
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_UNICODETEXT), 2), Utf16Bytes(L"magnet:?xt=\u4E2D"));
}

TEST_F(ResultActions, CopyWithManyRowsPutsEveryAddressFromTheLastRowUpAndAnEmptyListChangesNothing) {
  SetChecked(app.window.循环执行, true);
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");

  AddRows(3);
  Choose(ControlId::复制下载地址);
  Text expected = AddressOf(2) + "\r\n" + AddressOf(1) + "\r\n" + AddressOf(0) + "\r\n";
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), expected);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_UNICODETEXT), 2),
            Utf16Bytes(std::wstring(expected.begin(), expected.end())));
}

TEST_F(ResultActions, CopyWithoutSelectionLeavesTheClipboardAlone) {
  AddRows(2);
  PutMarkerOnClipboard();
  Choose(ControlId::复制下载地址);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");
}

TEST_F(ResultActions, DownloadWithNoCheckedRowAsksForRows) {
  AddRows(4);
  SetChecked(app.window.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, kPickRows);
}

TEST_F(ResultActions, DownloadWithoutThunderSaysSoOncePerCheckedRowAtLeast100msApart) {
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(app.window.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  ASSERT_EQ(closer.notices.size(), 3u);
  for (const Notice& notice : closer.notices) EXPECT_EQ(notice.text, kNoThunder);
  EXPECT_GE(closer.notices[1].tick - closer.notices[0].tick, 100u);
  EXPECT_GE(closer.notices[2].tick - closer.notices[1].tick, 100u);
}

TEST_F(ResultActions, DownloadOfTheSelectedRowOnlyWhenUnchecked) {
  AddRows(3);
  for (int row = 0; row < 3; ++row) List().SetRowCheck(row, 1);
  NoticeCloser closer;
  Choose(ControlId::下载种子);  // nothing selected: nothing handed on
  EXPECT_TRUE(closer.notices.empty());
  Select(2);
  Choose(ControlId::下载种子);
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, kNoThunder);
}

std::wstring Wide(const Text& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Asks the window for an answer from another thread while a handler runs.
struct ResponsivenessProbe {
  std::atomic<bool> stop{false};
  std::atomic<int> answers{0};
  HWND window;
  HANDLE thread;
  static DWORD WINAPI Run(void* parameter) {
    auto* probe = static_cast<ResponsivenessProbe*>(parameter);
    while (!probe->stop) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(probe->window, WM_NULL, 0, 0, SMTO_BLOCK, 50, &result)) ++probe->answers;
      Sleep(10);
    }
    return 0;
  }
  explicit ResponsivenessProbe(HWND window) : window(window) {
    thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~ResponsivenessProbe() {
    stop = true;
    PumpUntilSignalled(thread);
    CloseHandle(thread);
  }
};

// The open popup menu of this thread, or null. Wine keeps hidden menu windows
// of earlier menus around, so the first of the class may not be this one.
BOOL CALLBACK NoteOpenMenu(HWND window, LPARAM result) {
  if (ClassNameOf(window) != L"#32768" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}
HWND OpenMenu() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), NoteOpenMenu, LPARAM(&found));
  return found;
}

// The popup's modal loop still runs this thread's timer callbacks: once the
// menu shows, the driver notes where it is and posts the keys a user would
// press (the loop takes posted keys of any window of the thread).
struct MenuDriver {
  static inline std::vector<WPARAM> keys;
  static inline bool seen = false;
  static inline RECT shownAt = {};
  static inline bool forced = false;
  static void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = OpenMenu();
    if (!popup) return;
    KillTimer(nullptr, timer);
    seen = true;
    GetWindowRect(popup, &shownAt);
    for (WPARAM key : keys) PostMessageW(app.window.window.handle, WM_KEYDOWN, key, 0);
  }
  // Keys that did not close the menu must not hang the test.
  static void CALLBACK ForceClose(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (!OpenMenu()) return;
    forced = true;
    EndMenu();
  }
  // Puts the cursor on `point` of the list and right-clicks there; the keys
  // are pressed once the menu is open. True when the menu opened and the
  // keys closed it.
  static bool RightClickAndPress(POINT point, std::vector<WPARAM> pressed) {
    keys = std::move(pressed);
    seen = false;
    forced = false;
    shownAt = {};
    POINT screen = point;
    ClientToScreen(List().handle, &screen);
    SetCursorPos(screen.x, screen.y);
    // The pointer's move comes back from the X server later; arriving during
    // the list's press tracking it would make the click a right drag.
    PumpUntil([&] {
      POINT now;
      return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
    }, 1000);
    PumpMessagesFor(100);
    SetForegroundWindow(app.window.window.handle);
    UINT_PTR driver = SetTimer(nullptr, 0, 30, Drive);
    UINT_PTR fallback = SetTimer(nullptr, 0, 3000, ForceClose);
    PostMessageW(List().handle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageW(List().handle, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    // The menu's loop runs inside the dispatch of the click: once the pump
    // is back here with the menu seen, the menu has closed.
    PumpUntil([] { return seen; }, 4000);
    KillTimer(nullptr, driver);
    KillTimer(nullptr, fallback);
    EXPECT_TRUE(seen) << "no menu opened";
    EXPECT_FALSE(forced) << "the keys left the menu open";
    return seen && !forced;
  }
};

POINT CursorPlusThree(POINT listPoint) {
  ClientToScreen(List().handle, &listPoint);
  return {listPoint.x + 3, listPoint.y + 3};
}

TEST_F(ResultActions, ARightClickOnARowOpensTheMenuAtTheCursorAndItsFirstItemCopiesThatRow) {
  AddRows(3);
  Select(0);
  RECT rowRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 1, &rowRect, LVIR_BOUNDS));
  const POINT click = {rowRect.left + 20, (rowRect.top + rowRect.bottom) / 2};
  PutMarkerOnClipboard();
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_RETURN}));
  POINT expected = CursorPlusThree(click);
  EXPECT_EQ(MenuDriver::shownAt.left, expected.x);
  EXPECT_EQ(MenuDriver::shownAt.top, expected.y);
  // The list selects the row under a right click before the menu opens.
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(1));
}

TEST_F(ResultActions, ARightClickBelowTheLastRowOpensTheMenuThereAndItsItemsAreChosen) {
  AddRows(2);
  Select(0);
  RECT lastRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 1, &lastRect, LVIR_BOUNDS));
  const POINT click = {lastRect.left + 20, lastRect.bottom + 40};
  PutMarkerOnClipboard();
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_RETURN}));
  POINT expected = CursorPlusThree(click);
  EXPECT_EQ(MenuDriver::shownAt.left, expected.x);
  EXPECT_EQ(MenuDriver::shownAt.top, expected.y);
  // A click on no row clears the selection, so the single-row copy had
  // nothing to copy: the chosen item ran and left the clipboard alone.
  EXPECT_EQ(List().SelectedRow(), -1);
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), "marker");

  // With many rows the same choice copies every address.
  SetChecked(app.window.循环执行, true);
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_RETURN}));
  EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(1) + "\r\n" + AddressOf(0) + "\r\n");

  // And the second item hands the checked row to Thunder.
  ThunderAgentRegistration thunder;
  List().SetRowCheck(0, 1);
  ASSERT_TRUE(MenuDriver::RightClickAndPress(click, {VK_DOWN, VK_DOWN, VK_RETURN}));
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].argument, Wide(AddressOf(0)));
}

TEST_F(ResultActions, EscapeClosesTheMenuWithoutRunningAHandler) {
  ThunderAgentRegistration thunder;
  AddRows(3);
  List().SetRowCheck(2, 1);
  SetChecked(app.window.循环执行, true);
  RECT rowRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 0, &rowRect, LVIR_BOUNDS));
  const POINT onARow = {rowRect.left + 20, (rowRect.top + rowRect.bottom) / 2};
  const POINT belowTheRows = {rowRect.left + 20, rowRect.bottom + 80};
  NoticeCloser closer;
  for (POINT click : {onARow, belowTheRows}) {
    // The first item (copy) or the second (hand-off) highlighted, then Escape.
    for (int downs : {1, 2}) {
      std::vector<WPARAM> keys(downs, VK_DOWN);
      keys.push_back(VK_ESCAPE);
      DWORD clipboardBefore = GetClipboardSequenceNumber();
      ASSERT_TRUE(MenuDriver::RightClickAndPress(click, keys));
      PumpMessagesFor(300);  // a command the menu had sent would be handled by now
      EXPECT_EQ(GetClipboardSequenceNumber(), clipboardBefore) << click.y << " " << downs;
    }
  }
  EXPECT_TRUE(closer.notices.empty());
  EXPECT_TRUE(ReceivedThunderCalls().empty());
}

TEST_F(ResultActions, DownloadHandsCheckedRowsToThunderFromTheBottomUpWhileTheWindowAnswers) {
  ThunderAgentRegistration thunder;
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(app.window.循环执行, true);
  int answersBefore = 0;
  int answersAfter = 0;
  {
    ResponsivenessProbe probe(app.window.window.handle);
    PumpUntil([&] { return probe.answers > 0; });
    answersBefore = probe.answers;
    Choose(ControlId::下载种子);
    answersAfter = probe.answers;
  }
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 6u);
  const int expectedRows[] = {8, 4, 1};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[2 * i].method, L"AddTask");
    EXPECT_EQ(calls[2 * i].argument, Wide(AddressOf(expectedRows[i])));
    EXPECT_EQ(calls[2 * i + 1].method, L"CommitTasks");
  }
  EXPECT_GE(calls[2].tick - calls[0].tick, 100u);
  EXPECT_GE(calls[4].tick - calls[2].tick, 100u);
  // Answers came while the handler was waiting between the hand-offs.
  EXPECT_GT(answersAfter - answersBefore, 2);
}

TEST_F(ResultActions, DownloadUncheckedHandsOnlyTheSelectedRowToThunder) {
  ThunderAgentRegistration thunder;
  AddRows(5);
  for (int row = 0; row < 5; ++row) List().SetRowCheck(row, 1);
  Select(3);
  Choose(ControlId::下载种子);
  const std::vector<ThunderCall>& calls = ReceivedThunderCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].method, L"AddTask");
  EXPECT_EQ(calls[0].argument, Wide(AddressOf(3)));
  EXPECT_EQ(calls[1].method, L"CommitTasks");
}

TEST_F(ResultActions, DownloadWithNoCheckedRowHandsNothingToThunder) {
  ThunderAgentRegistration thunder;
  AddRows(3);
  SetChecked(app.window.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  EXPECT_EQ(closer.notices.size(), 1u);
  EXPECT_TRUE(ReceivedThunderCalls().empty());
}

}  // namespace
