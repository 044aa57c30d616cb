#pragma once
// Charset names as web pages declare them, mapped to Windows code pages.
// Platform-free.

// The code page to decode with; 0 when the name is not known. Letter case is
// ignored. "unicode" (the stream's default) answers kUtf16CodePage.
unsigned CodePageOfCharset(const wchar_t* name);

inline constexpr unsigned kUtf16CodePage = 1200;
inline constexpr unsigned kUtf8CodePage = 65001;
