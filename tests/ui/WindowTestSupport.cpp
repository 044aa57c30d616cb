#include "tests/ui/WindowTestSupport.h"

#include "ui/MainWindow.h"

void PumpMessagesFor(int milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (HandleWindowKey(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  } while (GetTickCount() - start < DWORD(milliseconds));
}

bool PumpUntilSignalled(HANDLE handle, int milliseconds) {
  return PumpUntil([&] { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }, milliseconds);
}

std::wstring WindowTextOf(HWND window) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(window, buffer, 1024);
  return buffer;
}

std::wstring ClassNameOf(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return buffer;
}

RECT RectInParent(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void SendClick(HWND control) {
  SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

namespace {

HANDLE Start(std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

}  // namespace

HANDLE StartChildScenario(const char* scenario) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --child=";
  for (const char* letter = scenario; *letter; ++letter) commandLine += wchar_t(*letter);
  return Start(commandLine);
}

HANDLE StartProgram(const std::string& linuxPath) {
  std::wstring path = L"Z:";
  for (char letter : linuxPath) path += letter == '/' ? L'\\' : wchar_t(letter);
  return Start(L"\"" + path + L"\"");
}

namespace {

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || !IsWindowVisible(window) || ClassNameOf(window) != search.className) return TRUE;
  if (search.title && WindowTextOf(window) != search.title) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title, int milliseconds) {
  DWORD start = GetTickCount();
  do {
    WindowSearch search{processId, className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  } while (GetTickCount() - start < DWORD(milliseconds));
  return nullptr;
}

DWORD WaitForExitCode(HANDLE process, int milliseconds) {
  if (WaitForSingleObject(process, DWORD(milliseconds)) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  return code;
}

std::wstring MessageBoxText(HWND box) {
  wchar_t buffer[2048] = {};
  GetDlgItemTextW(box, 0xFFFF, buffer, 2048);
  return buffer;
}
