#pragma once
// The system clipboard, written as text.
#include <cstddef>

#include "text/Text.h"

enum class ClipboardWrite {
  Placed,
  NoRoom,     // the text's blocks could not be had: the clipboard is as it was
  NotOpened,  // another program holds it: the clipboard is as it was
};

// Writes `size` bytes of text into `target` (room for exactly that many).
using ClipboardTextWriter = void (*)(char* target, size_t size, void* context);

// Replaces the clipboard's contents with a text of `size` bytes that `write`
// puts straight into the clipboard's own block: CF_TEXT (code page 936, with
// its terminating zero) and CF_UNICODETEXT converted from it, so that
// pasting is right whatever the system's code page. The blocks are made
// before the clipboard is opened, so a refusal leaves it as it was.
[[nodiscard]] ClipboardWrite PutTextOnClipboard(size_t size, ClipboardTextWriter write, void* context);
[[nodiscard]] ClipboardWrite PutTextOnClipboard(TextView text);
