#pragma once
// What the stream holds and the rules of its members, apart from the
// Automation glue: a byte buffer with a position, a type (bytes or text), a
// mode and the charset by which its bytes are read as text. Platform-free:
// the decoding itself is StreamText.h's.
#include <cstddef>
#include <string>
#include <vector>

enum class StreamFault { None, Closed, AlreadyOpen, NotAllowedHere, BadValue, UnknownCharset, DecodeFailed };

// The bytes a text read decodes, and the code page to decode them with.
struct TextBytes {
  unsigned codePage = 0;
  const unsigned char* data = nullptr;
  size_t count = 0;
};

class StreamState {
 public:
  static constexpr long kBinaryType = 1;
  static constexpr long kTextType = 2;

  long Type() const { return type; }
  long Mode() const { return mode; }
  const std::wstring& Charset() const { return charset; }
  [[nodiscard]] StreamFault Position(long& result) const;

  // Type and charset change only at the start of the stream; the mode only
  // while it is closed.
  [[nodiscard]] StreamFault SetType(long value);
  [[nodiscard]] StreamFault SetMode(long value);
  [[nodiscard]] StreamFault SetPosition(long value);
  [[nodiscard]] StreamFault SetCharset(const wchar_t* value);

  [[nodiscard]] StreamFault Open();
  [[nodiscard]] StreamFault Close();
  // Overwrites from the position on, growing the stream as needed.
  [[nodiscard]] StreamFault Write(const unsigned char* data, size_t count);
  // What a text read decodes: from the position to the end, less the
  // byte-order mark of the charset at the stream's start. Valid until the
  // next change.
  [[nodiscard]] StreamFault TextToRead(TextBytes& text) const;
  // Once that text is decoded, the position is at the end.
  void TextWasRead() { position = bytes.size(); }

 private:
  bool open = false;
  long type = kTextType;
  long mode = 0;
  size_t position = 0;
  std::wstring charset = L"Unicode";
  std::vector<unsigned char> bytes;
};
