#pragma once
// The program's texts: zero-terminated byte strings in code page 936 (GBK).
// std::string never converts from wchar_t, so UTF-16 cannot slip in; every
// conversion to and from UTF-16 goes through CodePage936.h and names 936.
#include <string>
#include <string_view>
#include <vector>

using Text = std::string;
using TextView = std::string_view;
using TextList = std::vector<Text>;
using ByteSet = std::vector<unsigned char>;  // a counted buffer: bodies, raw bytes

enum class LetterCase { Exact, IgnoreAscii };

// Position (1-based) of the first occurrence of `what` in `text`, searching
// from `startPosition` and stepping over double-byte characters as units;
// -1 when absent. An empty `what` is found at the start of a non-empty text.
[[nodiscard]] int FindText(TextView text, TextView what, int startPosition = 1,
                           LetterCase letterCase = LetterCase::Exact);

// Pieces before each separator (empty ones too), then the rest when it is not
// empty; an empty text gives no pieces.
[[nodiscard]] TextList SplitText(TextView text, TextView separator);

// Every occurrence of `what` replaced, scanning left to right without overlap.
[[nodiscard]] Text ReplaceAll(TextView text, TextView what, TextView with,
                              LetterCase letterCase = LetterCase::Exact);

// Spaces are the ASCII space and the full-width space (A1 A1).
[[nodiscard]] Text TrimSpaces(TextView text);
[[nodiscard]] Text RemoveSpaces(TextView text);

[[nodiscard]] Text DecimalText(long long value);

// True when the byte starts a double-byte character of code page 936.
constexpr bool IsLeadByte(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }
