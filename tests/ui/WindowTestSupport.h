#pragma once
// Helpers for tests that drive live windows under Wine and Xvfb.
#include <windows.h>

#include <string>

// Dispatches the thread's messages (through the window-level keys) for `milliseconds`.
void PumpMessagesFor(int milliseconds);

// Dispatches messages until `done()` holds or `milliseconds` have passed; its last answer.
template <typename Condition>
bool PumpUntil(Condition done, int milliseconds = 5000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > DWORD(milliseconds)) return done();
    PumpMessagesFor(2);
  }
  return true;
}

// Dispatches messages until `handle` is signalled; false on timeout.
bool PumpUntilSignalled(HANDLE handle, int milliseconds = 5000);

std::wstring WindowTextOf(HWND window);
std::wstring ClassNameOf(HWND window);

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// Sends the click notification of a button or check box to its parent, as the control does.
void SendClick(HWND control);

// The test executable itself, started with "--child=<scenario>"; null on failure.
HANDLE StartChildScenario(const char* scenario);
// Or any program by its Linux path (run under Wine through drive Z:).
HANDLE StartProgram(const std::string& linuxPath);

// The first visible top-level window of process `processId` with that class (and
// title, when given), waiting up to `milliseconds`; null when none appeared.
HWND WaitForProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* title, int milliseconds);

// Waits for the process to end and returns its exit code (STILL_ACTIVE on timeout).
DWORD WaitForExitCode(HANDLE process, int milliseconds = 10000);

// The text of a message box (its static text, identifier 0xFFFF).
std::wstring MessageBoxText(HWND box);
