#include "text/CodePage936.h"

#include <windows.h>

#include "system/Room.h"
#include "system/SystemFunction.h"

namespace {

constexpr UINT kCodePage936 = 936;

SystemFunction<decltype(&::MultiByteToWideChar)> multiByteToWideChar{"kernel32.dll", "MultiByteToWideChar"};
SystemFunction<decltype(&::WideCharToMultiByte)> wideCharToMultiByte{"kernel32.dll", "WideCharToMultiByte"};

}  // namespace

std::wstring TextToUtf16(TextView text) {
  text = text.substr(0, text.find('\0'));  // a text ends at its first zero byte
  if (text.empty()) return {};
  int count = multiByteToWideChar(kCodePage936, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(count > 0 ? count : 0), L'\0');
  if (count > 0) multiByteToWideChar(kCodePage936, 0, text.data(), int(text.size()), wide.data(), count);
  return wide;
}

int Utf16Length(TextView text) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return 0;
  const int count = multiByteToWideChar(kCodePage936, 0, text.data(), int(text.size()), nullptr, 0);
  return count > 0 ? count : 0;
}

bool TextToUtf16(TextView text, std::wstring& wide) {
  wide.clear();
  text = text.substr(0, text.find('\0'));
  const int count = Utf16Length(text);
  if (count == 0) return true;
  if (!ReserveRoom(wide, size_t(count))) return false;
  wide.resize(size_t(count));
  multiByteToWideChar(kCodePage936, 0, text.data(), int(text.size()), wide.data(), count);
  return true;
}

int TextToUtf16(TextView text, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  text = text.substr(0, text.find('\0'));
  int count = text.empty() ? 0 : multiByteToWideChar(kCodePage936, 0, text.data(), int(text.size()), nullptr, 0);
  if (count > 0 && count < capacity) {
    count = multiByteToWideChar(kCodePage936, 0, text.data(), int(text.size()), buffer, capacity);
  } else if (count > 0) {
    // Too long: the whole text converted, then cut before a trail surrogate.
    std::wstring wide = TextToUtf16(text);
    count = capacity - 1;
    if (count > 0 && wide[size_t(count)] >= 0xDC00 && wide[size_t(count)] <= 0xDFFF) --count;
    wide.copy(buffer, size_t(count));
  }
  buffer[count > 0 ? count : 0] = L'\0';
  return count > 0 ? count : 0;
}

Text Utf16ToText(const wchar_t* characters, int count) {
  if (!characters) return {};
  int length = 0;
  while ((count < 0 || length < count) && characters[length] != L'\0') ++length;
  if (length == 0) return {};
  int bytes = wideCharToMultiByte(kCodePage936, WC_COMPOSITECHECK, characters, length, nullptr, 0, nullptr, nullptr);
  Text text(size_t(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) wideCharToMultiByte(kCodePage936, WC_COMPOSITECHECK, characters, length, text.data(), bytes, nullptr, nullptr);
  return text;
}

int Utf16ToUtf8(const wchar_t* characters, int count, char* buffer) {
  if (!characters || count <= 0) return 0;
  const int bytes = wideCharToMultiByte(CP_UTF8, 0, characters, count, buffer, count * 3, nullptr, nullptr);
  return bytes > 0 ? bytes : 0;
}
