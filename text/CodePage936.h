#pragma once
// Conversions between the program's texts and UTF-16. They always name code
// page 936, whatever the system's ANSI code page, so GBK texts survive on a
// system set to another language. UTF-16 goes on to UTF-8 for files.
#include <string>

#include "text/Text.h"

[[nodiscard]] std::wstring TextToUtf16(TextView text);
// The same into `wide` for a text whose size the input decides (a page):
// false, `wide` empty, when the room for it is refused.
[[nodiscard]] bool TextToUtf16(TextView text, std::wstring& wide);
// The UTF-16 characters of the text up to its first zero byte.
[[nodiscard]] int Utf16Length(TextView text);
// Into a caller's buffer of `capacity` characters (capacity > 0): as much of
// the text as fits, whole characters only, always zero-terminated; returns
// the characters written before the zero.
int TextToUtf16(TextView text, wchar_t* buffer, int capacity);
// `count` characters (or up to the first NUL among them); -1 reads to the NUL.
[[nodiscard]] Text Utf16ToText(const wchar_t* characters, int count = -1);
inline Text Utf16ToText(const std::wstring& characters) {
  return Utf16ToText(characters.c_str(), int(characters.size()));
}

// `count` UTF-16 characters as UTF-8 into a caller's buffer, which holds
// three bytes a character (the most one takes); returns the bytes written.
// A surrogate pair must not be split between two calls.
int Utf16ToUtf8(const wchar_t* characters, int count, char* buffer);
