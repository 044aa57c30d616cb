#pragma once
// The charset a page's head declares, found as the engine finds the pattern
// <meta.+?charset=[^\w]?([-\w]+) (letter case ignored): for where the engine
// is missing. Platform-free.
#include <string>
#include <string_view>

#include "text/DotStops.h"

// Group 1 of the first match in `head`, as the engine sees it (UTF-16);
// empty when the pattern does not match.
[[nodiscard]] std::wstring CharsetDeclaredIn(std::wstring_view head, DotStops dotStops);
