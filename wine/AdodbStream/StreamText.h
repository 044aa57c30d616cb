#pragma once
// The stream's text read: its bytes (StreamState) decoded into a BSTR.
#include <windows.h>
#include <oleauto.h>

#include "wine/AdodbStream/StreamState.h"

// Decodes from the position to the end; the caller owns `text`.
[[nodiscard]] StreamFault ReadText(StreamState& state, BSTR& text);
