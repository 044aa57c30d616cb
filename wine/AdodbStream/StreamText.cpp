#include "wine/AdodbStream/StreamText.h"

#include <climits>
#include <cstring>

#include "system/SystemFunction.h"
#include "text/Charsets.h"

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

}  // namespace

StreamFault ReadText(StreamState& state, BSTR& text) {
  text = nullptr;
  TextBytes bytes;
  StreamFault fault = state.TextToRead(bytes);
  if (fault != StreamFault::None) return fault;
  text = Decode(bytes.codePage, bytes.data, bytes.count);
  if (!text) return StreamFault::DecodeFailed;
  state.TextWasRead();
  return StreamFault::None;
}
