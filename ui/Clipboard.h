#pragma once
// The system clipboard, written as text.
#include "text/Text.h"

// Replaces the clipboard's contents with `text` as CF_TEXT (code page 936,
// with its terminating zero) and as CF_UNICODETEXT converted from code page
// 936, so that pasting is right whatever the system's code page. A clipboard
// that cannot be opened is left unchanged, quietly.
void PutTextOnClipboard(TextView text);
