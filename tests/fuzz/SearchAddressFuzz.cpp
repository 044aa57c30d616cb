// EncodeKeywordSegment against a plain reference: read character by
// character (a byte of 0x80 or more takes the next one along), the escaped
// single bytes become %XX in upper-case hex and all else stays. For a keyword
// of whole code page 936 characters (what 编辑框1 gives), decoding the
// segment's escapes gives the keyword back, and no byte that starts a
// character would end or redirect the path ("#", "?", "/", "\", space,
// control bytes) except as part of an escape.
#include "app/SearchAddress.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

bool EscapedByte(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '#' || byte == '?' || byte == '%' || byte == '/' || byte == '\\' ||
         byte == ' ';
}

Text ReferenceEncoding(TextView keyword) {
  static const char digits[] = "0123456789ABCDEF";
  const std::vector<bool> starts = CharacterStarts(keyword);
  Text encoded;
  for (size_t at = 0; at < keyword.size(); ++at) {
    const auto byte = static_cast<unsigned char>(keyword[at]);
    if (!starts[at] || byte >= 0x80 || !EscapedByte(byte)) {
      encoded += keyword[at];
    } else {
      encoded += {'%', digits[byte >> 4], digits[byte & 15]};
    }
  }
  return encoded;
}

int HexValue(char digit) { return digit <= '9' ? digit - '0' : digit - 'A' + 10; }

// Every "%" starting a character begins an escape: a trail byte is never below 0x40.
Text Unescaped(TextView segment) {
  const std::vector<bool> starts = CharacterStarts(segment);
  Text unescaped;
  for (size_t at = 0; at < segment.size(); ++at) {
    if (starts[at] && segment[at] == '%' && at + 2 < segment.size()) {
      unescaped += char(HexValue(segment[at + 1]) << 4 | HexValue(segment[at + 2]));
      at += 2;
    } else {
      unescaped += segment[at];
    }
  }
  return unescaped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TextView keyword(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(EncodeKeywordSegment(keyword) == ReferenceEncoding(keyword));

  const Text whole = WholeCharacters(keyword);
  const Text segment = EncodeKeywordSegment(whole);
  FUZZ_CHECK(Unescaped(segment) == whole);
  const std::vector<bool> starts = CharacterStarts(segment);
  for (size_t at = 0; at < segment.size(); ++at) {
    const auto byte = static_cast<unsigned char>(segment[at]);
    if (starts[at] && byte != '%') FUZZ_CHECK(byte >= 0x80 || !EscapedByte(byte));
  }
  return 0;
}
