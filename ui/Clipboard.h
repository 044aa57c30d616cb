#pragma once
// The system clipboard, written as text.
#include <windows.h>

#include <cstddef>

#include "text/Text.h"

enum class ClipboardWrite {
  Placed,
  NoRoom,      // the text's blocks could not be had: the clipboard is as it was
  NotOpened,   // another program holds it: the clipboard is as it was
  NotEmptied,  // the system refused to empty it: the clipboard is as it was
  NotPlaced,   // emptied, then the system took the text in neither format: it is empty
};

// Writes `size` bytes of text into `target` (room for exactly that many).
using ClipboardTextWriter = void (*)(char* target, size_t size, void* context);

// Replaces the clipboard's contents with a text of `size` bytes that `write`
// puts straight into the clipboard's own block: CF_TEXT (code page 936, with
// its terminating zero) and CF_UNICODETEXT converted from it, so that
// pasting is right whatever the system's code page. The blocks are made
// before the clipboard is opened, so a refusal leaves it as it was. `owner`,
// the window the clipboard is opened with, owns the contents placed. The text
// counts as placed when the system took either format: it gives a program
// that asks for the other one the text converted.
[[nodiscard]] ClipboardWrite PutTextOnClipboard(HWND owner, size_t size, ClipboardTextWriter write, void* context);
[[nodiscard]] ClipboardWrite PutTextOnClipboard(HWND owner, TextView text);
