#include "wine/AdodbStream/StreamState.h"

#include <climits>
#include <cstring>

#include "text/Charsets.h"

namespace {

// The mark at the start of a UTF text is not part of the text.
size_t ByteOrderMarkLength(unsigned codePage, const unsigned char* data, size_t count) {
  if (codePage == kUtf8CodePage && count >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) return 3;
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

StreamFault StreamState::TextToRead(TextBytes& text) const {
  text = TextBytes();
  if (!open) return StreamFault::Closed;
  if (type != kTextType) return StreamFault::NotAllowedHere;
  text.codePage = CodePageOfCharset(charset.c_str());
  if (!text.codePage) return StreamFault::UnknownCharset;
  text.data = bytes.data() + position;
  text.count = bytes.size() - position;
  if (position == 0) {
    size_t mark = ByteOrderMarkLength(text.codePage, text.data, text.count);
    text.data += mark;
    text.count -= mark;
  }
  return StreamFault::None;
}
