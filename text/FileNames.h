#pragma once
// File names made from a text the user typed for another purpose (a search's
// keyword), for the save dialog to offer.
#include <string>
#include <string_view>

// `wanted` as a name Windows takes for a file: the characters no file name
// may hold (\ / : * ? " < > | and control characters) become "_", trailing
// dots and spaces go, a device's name (CON, NUL, COM1, ...) gets a leading
// "_", and a name longer than a folder entry holds is cut. `fallback` where
// nothing is left. Without an extension: the caller adds its type's.
[[nodiscard]] std::wstring UsableFileName(std::wstring_view wanted, std::wstring_view fallback);
