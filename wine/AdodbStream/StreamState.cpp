#include "wine/AdodbStream/StreamState.h"

#include <climits>
#include <cstring>

#include "system/SystemFunction.h"
#include "wine/AdodbStream/Charsets.h"

namespace {

SystemFunction<decltype(&::MultiByteToWideChar)> multiByteToWideChar{"kernel32.dll",
                                                                     "MultiByteToWideChar"};

constexpr unsigned kGb18030CodePage = 54936;
constexpr unsigned kGbkCodePage = 936;

BSTR DecodeUtf16(const unsigned char* data, size_t count) {
  BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(count / 2));
  if (text) std::memcpy(text, data, count / 2 * sizeof(OLECHAR));  // an odd last byte is no character
  return text;
}

BSTR DecodeMultiByte(unsigned codePage, const unsigned char* data, size_t count) {
  if (count == 0) return SysAllocStringLen(L"", 0);
  const char* source = reinterpret_cast<const char*>(data);
  int length = multiByteToWideChar(codePage, 0, source, static_cast<int>(count), nullptr, 0);
  if (length <= 0) return nullptr;
  BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (!text) return nullptr;
  if (multiByteToWideChar(codePage, 0, source, static_cast<int>(count), text, length) != length) {
    SysFreeString(text);
    return nullptr;
  }
  return text;
}

BSTR Decode(unsigned codePage, const unsigned char* data, size_t count) {
  if (count > INT_MAX) return nullptr;
  if (codePage == kUtf16CodePage) return DecodeUtf16(data, count);
  BSTR text = DecodeMultiByte(codePage, data, count);
  // A system without GB18030 still reads its GBK part, which is nearly all of it.
  if (!text && codePage == kGb18030CodePage) text = DecodeMultiByte(kGbkCodePage, data, count);
  return text;
}

// The mark at the start of a UTF text is not part of the text.
size_t ByteOrderMarkLength(unsigned codePage, const unsigned char* data, size_t count) {
  if (codePage == CP_UTF8 && count >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) return 3;
  if (codePage == kUtf16CodePage && count >= 2 && data[0] == 0xFF && data[1] == 0xFE) return 2;
  return 0;
}

}  // namespace

StreamFault StreamState::Position(long& result) const {
  result = 0;
  if (!open) return StreamFault::Closed;
  result = static_cast<long>(position);
  return StreamFault::None;
}

StreamFault StreamState::SetType(long value) {
  if (value != kBinaryType && value != kTextType) return StreamFault::BadValue;
  if (open && position != 0) return StreamFault::NotAllowedHere;
  type = value;
  return StreamFault::None;
}

StreamFault StreamState::SetMode(long value) {
  if (open) return StreamFault::AlreadyOpen;
  if (value < 0) return StreamFault::BadValue;
  mode = value;
  return StreamFault::None;
}

StreamFault StreamState::SetPosition(long value) {
  if (!open) return StreamFault::Closed;
  if (value < 0 || static_cast<size_t>(value) > bytes.size()) return StreamFault::BadValue;
  position = static_cast<size_t>(value);
  return StreamFault::None;
}

StreamFault StreamState::SetCharset(const wchar_t* value) {
  if (open && position != 0) return StreamFault::NotAllowedHere;
  // An unknown name is kept and refused when text is read, where it matters.
  charset = value ? value : L"";
  return StreamFault::None;
}

StreamFault StreamState::Open() {
  if (open) return StreamFault::AlreadyOpen;
  open = true;
  position = 0;
  bytes.clear();
  return StreamFault::None;
}

StreamFault StreamState::Close() {
  if (!open) return StreamFault::Closed;
  open = false;
  position = 0;
  bytes.clear();
  bytes.shrink_to_fit();
  return StreamFault::None;
}

StreamFault StreamState::Write(const unsigned char* data, size_t count) {
  if (!open) return StreamFault::Closed;
  if (type != kBinaryType) return StreamFault::NotAllowedHere;
  if (count > static_cast<size_t>(LONG_MAX) - position) return StreamFault::BadValue;
  if (position + count > bytes.size()) bytes.resize(position + count);
  if (count) std::memcpy(bytes.data() + position, data, count);
  position += count;
  return StreamFault::None;
}

StreamFault StreamState::ReadText(BSTR& text) {
  text = nullptr;
  if (!open) return StreamFault::Closed;
  if (type != kTextType) return StreamFault::NotAllowedHere;
  unsigned codePage = CodePageOfCharset(charset.c_str());
  if (!codePage) return StreamFault::UnknownCharset;
  const unsigned char* start = bytes.data() + position;
  size_t count = bytes.size() - position;
  if (position == 0) {
    size_t mark = ByteOrderMarkLength(codePage, start, count);
    start += mark;
    count -= mark;
  }
  text = Decode(codePage, start, count);
  if (!text) return StreamFault::DecodeFailed;
  position = bytes.size();
  return StreamFault::None;
}
