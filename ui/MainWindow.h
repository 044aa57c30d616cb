#pragma once
// The program's one window: its creation and end, its keys and the message
// loop (its record: ui/MainWindowRecord.h).
#include <windows.h>

#include "ui/EventTable.h"
#include "ui/MainWindowRecord.h"

// Creates the window and every control, raises Created while it is still
// hidden, then shows it. Every handler is called with `handlerContext`.
// False when it could not be created (nothing is left).
[[nodiscard]] bool CreateMainWindow(MainWindow& target, EventTable events, void* handlerContext = nullptr);

// Ends the current worker run, destroys the window and frees what it held.
void DestroyMainWindow(MainWindow& target);

// The context the main window `window` hands every handler: a timer
// procedure on that window reaches the program's state through it, as the
// handlers do.
[[nodiscard]] void* MainWindowHandlerContext(HWND window);

// Window-level keys of a main window (TAB and Shift+TAB through its tab
// order); true when the message was taken and must not be dispatched. Every
// message loop of the program calls it before dispatching.
[[nodiscard]] bool HandleWindowKey(const MSG& message);

// Runs the message loop until the quit message; returns its exit code.
int RunMessageLoop();
