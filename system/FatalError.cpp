#include "system/FatalError.h"

#include <windows.h>

#include <cstdio>

#include "system/WindowMessages.h"

namespace {

const char* const kCodeMessages[] = {
    "",
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

LONG errorCount = 0;
DWORD uiThreadId = 0;
HWND handOverWindow = nullptr;
void (*orderlyEndOfProgram)() = nullptr;

// Static storage: the report must not depend on the heap, which may be what failed.
char reportText[4096];
wchar_t reportTextWide[4096];

// The kernel32 conversion is called directly here: the binding of system
// functions may itself be what failed.
void ToWide(const char* text, wchar_t* wide, int capacity) {
  if (MultiByteToWideChar(936, 0, text, -1, wide, capacity) == 0) wide[0] = L'\0';
}

[[noreturn]] void ShowAndEnd(const char* text) {
  static wchar_t caption[16];
  ToWide("错误", caption, 16);
  ToWide(text, reportTextWide, 4096);
  MessageBoxW(nullptr, reportTextWide, caption, MB_OK | MB_ICONERROR);
  // The orderly end decides whether the libraries bound by name may go: a
  // worker may still be inside one.
  if (orderlyEndOfProgram && GetCurrentThreadId() == uiThreadId) orderlyEndOfProgram();
  ExitProcess(0xFFFFFFFFu);
}

LRESULT CALLBACK HandOverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kFatalErrorHandOverMessage) ShowAndEnd(reinterpret_cast<const char*>(lParam));
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

const char* FatalErrorMessage(int code) {
  return code >= 1 && code <= 11 ? kCodeMessages[code] : "";
}

void FormatFatalErrorText(int code, const char* message, char* buffer, size_t capacity) {
  if (capacity == 0) return;
  int length = std::snprintf(buffer, capacity, "运行时出错!\r\n\r\n");
  if (code != 0 && length >= 0 && size_t(length) < capacity)
    length += std::snprintf(buffer + length, capacity - size_t(length), "错误代码：%d\r\n\r\n", code);
  if (message && *message && length >= 0 && size_t(length) < capacity)
    std::snprintf(buffer + length, capacity - size_t(length), "错误信息：%s\r\n", message);
}

void FatalError(int code, const char* message) {
  if (InterlockedIncrement(&errorCount) > 1) {
    // A second report while the first is open: the first one ends the process.
    if (GetCurrentThreadId() == uiThreadId) ExitProcess(0xFFFFFFFFu);
    for (;;) Sleep(INFINITE);
  }
  FormatFatalErrorText(code, message, reportText, sizeof reportText);
  if (handOverWindow && GetCurrentThreadId() != uiThreadId) {
    SendMessageW(handOverWindow, kFatalErrorHandOverMessage, 0, reinterpret_cast<LPARAM>(reportText));
    ExitProcess(0xFFFFFFFFu);  // the UI thread could not take it over
  }
  ShowAndEnd(reportText);
}

bool FatalErrorBegun() { return InterlockedCompareExchange(&errorCount, 0, 0) > 0; }

void InitialiseFatalErrorReport(void (*orderlyEnd)()) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = HandOverProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"SeedSearchReport";
  RegisterClassW(&windowClass);
  uiThreadId = GetCurrentThreadId();
  orderlyEndOfProgram = orderlyEnd;
  handOverWindow = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, windowClass.hInstance, nullptr);
}
