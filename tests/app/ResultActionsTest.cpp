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

ListView& List() { return mainWindow.超级列表框1; }

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
    ASSERT_TRUE(CreateMainWindow(mainWindow, MainWindowEventTable()));
  }
  void TearDown() override {
    DestroyMainWindow(mainWindow);
    if (comInitialised) CoUninitialize();
    searchState.resultListLock.reset();
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
  static void Choose(ControlId item) { SendMessageW(mainWindow.window.handle, WM_COMMAND, WPARAM(item), 0); }
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
  SetChecked(mainWindow.全选框, true);
  SendClick(mainWindow.全选框.handle);
  EXPECT_EQ(List().RowCount(), 0);

  AddRows(5);
  List().SetRowCheck(1, 1);
  List().SetRowCheck(3, 1);
  SendClick(mainWindow.全选框.handle);
  for (int row = 0; row < 5; ++row) EXPECT_EQ(List().GetRowCheck(row), 1) << row;
  SetChecked(mainWindow.全选框, false);
  List().SetRowCheck(2, 0);
  SendClick(mainWindow.全选框.handle);
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
  SetChecked(mainWindow.循环执行, true);
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
  SetChecked(mainWindow.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  ASSERT_EQ(closer.notices.size(), 1u);
  EXPECT_EQ(closer.notices[0].text, kPickRows);
}

TEST_F(ResultActions, DownloadWithoutThunderSaysSoOncePerCheckedRowAtLeast100msApart) {
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(mainWindow.循环执行, true);
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

// The popup's modal loop dispatches this thread's timer callbacks: the first
// item is chosen with the keys a user would press.
bool menuSeen = false;
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  KillTimer(nullptr, timer);
  menuSeen = true;
  PostMessageW(mainWindow.window.handle, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(mainWindow.window.handle, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(ResultActions, ARightClickOnARowOpensTheMenuWhoseFirstItemCopies) {
  AddRows(2);
  Select(0);
  RECT rowRect;
  ASSERT_TRUE(ListView_GetItemRect(List().handle, 0, &rowRect, LVIR_BOUNDS));
  const POINT clicks[] = {{rowRect.left + 20, (rowRect.top + rowRect.bottom) / 2}};
  for (POINT click : clicks) {
    PutMarkerOnClipboard();
    SetForegroundWindow(mainWindow.window.handle);
    menuSeen = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, ChooseFirstItem);
    PostMessageW(List().handle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(click.x, click.y));
    PostMessageW(List().handle, WM_RBUTTONUP, 0, MAKELPARAM(click.x, click.y));
    EXPECT_TRUE(PumpUntil([] { return UpToZero(ClipboardBytes(CF_TEXT), 1) != "marker"; }, 3000)) << click.y;
    KillTimer(nullptr, timer);
    EXPECT_TRUE(menuSeen);
    EXPECT_EQ(UpToZero(ClipboardBytes(CF_TEXT), 1), AddressOf(0));
  }
}

TEST_F(ResultActions, DownloadHandsCheckedRowsToThunderFromTheBottomUpWhileTheWindowAnswers) {
  ThunderAgentRegistration thunder;
  AddRows(10);
  for (int row : {1, 4, 8}) List().SetRowCheck(row, 1);
  SetChecked(mainWindow.循环执行, true);
  int answersBefore = 0;
  int answersAfter = 0;
  {
    ResponsivenessProbe probe(mainWindow.window.handle);
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
  SetChecked(mainWindow.循环执行, true);
  NoticeCloser closer;
  Choose(ControlId::下载种子);
  EXPECT_EQ(closer.notices.size(), 1u);
  EXPECT_TRUE(ReceivedThunderCalls().empty());
}

}  // namespace
