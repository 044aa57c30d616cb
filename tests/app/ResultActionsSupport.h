#pragma once
// What the result-action tests share: the live window's fixture, the real
// clipboard's bytes, a closer for the notices and a driver for the popup menu.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "app/ProgramStart.h"
#include "app/SearchState.h"
#include "tests/app/ThunderAgentComponent.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

inline const std::wstring kPickRows = L"\u8BF7\u9009\u4E2D\u9700\u4E0B\u8F7D\u7684\u5E8F\u53F7!";  // 请选中需下载的序号!
inline const std::wstring kNoThunder = L"\u60A8\u8FD8\u6CA1\u6709\u5B89\u88C5\u8FC5\u96F7!";       // 您还没有安装迅雷!
inline const std::wstring kNoticeCaption = L"\u63D0\u793A";                                       // 提示

inline ListView& List() { return app.window.超级列表框1; }

inline Text AddressOf(int row) { return "magnet:?xt=urn:btih:" + DecimalText(row); }

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
      List().SetCellText(row, ResultColumn::Number, DecimalText(row + 1));
      List().SetCellText(row, ResultColumn::Address, AddressOf(row));
    }
  }
  // A key going down or up (KEYEVENTF_KEYUP), for SendInput.
  static INPUT KeyInput(WORD key, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
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
inline std::string ClipboardBytes(UINT format) {
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
inline std::string UpToZero(const std::string& bytes, size_t unit) {
  for (size_t i = 0; i + unit <= bytes.size(); i += unit)
    if (bytes.compare(i, unit, std::string(unit, '\0')) == 0) return bytes.substr(0, i);
  ADD_FAILURE() << "no terminating zero";
  return bytes;
}

inline std::string Utf16Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

inline void PutMarkerOnClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 7);
  memcpy(GlobalLock(block), "marker", 7);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

inline std::wstring Wide(const Text& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Asks the window for an answer from another thread while a handler runs,
// and notes the longest time between two answers: how long it was frozen.
struct ResponsivenessProbe {
  std::atomic<bool> stop{false};
  std::atomic<int> answers{0};
  std::atomic<DWORD> longestSilence{0};  // milliseconds from one answer (or the start) to the next
  HWND window;
  HANDLE thread;
  static DWORD WINAPI Run(void* parameter) {
    auto* probe = static_cast<ResponsivenessProbe*>(parameter);
    DWORD answeredAt = GetTickCount();
    while (!probe->stop) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(probe->window, WM_NULL, 0, 0, SMTO_BLOCK, 50, &result)) {
        ++probe->answers;
        const DWORD now = GetTickCount();
        probe->longestSilence = std::max<DWORD>(probe->longestSilence, now - answeredAt);
        answeredAt = now;
      }
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
inline BOOL CALLBACK NoteOpenMenu(HWND window, LPARAM result) {
  if (ClassNameOf(window) != L"#32768" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}
inline HWND OpenMenu() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), NoteOpenMenu, LPARAM(&found));
  return found;
}

// Puts the pointer on `point` of the list and waits until it is there: the
// move comes back from the X server later, and arriving during a press it
// would make the click a drag.
inline void MoveCursorOnList(POINT point) {
  POINT screen = point;
  ClientToScreen(List().handle, &screen);
  SetCursorPos(screen.x, screen.y);
  PumpUntil([&] {
    POINT now;
    return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
  }, 1000);
  PumpMessagesFor(50);
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
    MoveCursorOnList(point);
    PumpMessagesFor(50);
    return OpenAndPress(std::move(pressed), [point] {
      PostMessageW(List().handle, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
      PostMessageW(List().handle, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    });
  }
  // The same with the menu opened by `open` (a click, keys).
  template <typename Open>
  static bool OpenAndPress(std::vector<WPARAM> pressed, Open open) {
    keys = std::move(pressed);
    seen = false;
    forced = false;
    shownAt = {};
    SetForegroundWindow(app.window.window.handle);
    UINT_PTR driver = SetTimer(nullptr, 0, 30, Drive);
    UINT_PTR fallback = SetTimer(nullptr, 0, 3000, ForceClose);
    open();
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

inline POINT CursorPlusThree(POINT listPoint) {
  ClientToScreen(List().handle, &listPoint);
  return {listPoint.x + 3, listPoint.y + 3};
}
