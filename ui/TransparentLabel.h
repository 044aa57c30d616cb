#pragma once
// A static text that paints only its text over whatever lies beneath it.
#include <windows.h>

// The label's window class, registered at the first call.
const wchar_t* TransparentLabelClass();
