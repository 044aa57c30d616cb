// EscapeUriCharacters against a plain reference: the link read character by
// character (a lead byte 81-FE with a second byte 40-7E or 80-FE is one,
// every other byte is one), the characters that a URI may not hold and a "%"
// without two hex digits after it become %XX, all else stays. The result is
// its own escaping, decodes to what the link decodes to, and holds no
// single-byte character that could end or add a command-line argument.
#include <cstring>

#include "tests/fuzz/FuzzInput.h"
#include "text/UriCharacters.h"

namespace {

// Offsets where the link's characters start, and the link's size at the end.
std::vector<size_t> Characters(TextView link) {
  std::vector<size_t> starts;
  size_t at = 0;
  while (at < link.size()) {
    starts.push_back(at);
    const auto lead = static_cast<unsigned char>(link[at]);
    const auto next = at + 1 < link.size() ? static_cast<unsigned char>(link[at + 1]) : 0;
    const bool pair = lead >= 0x81 && lead <= 0xFE && ((next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFE));
    at += pair ? 2 : 1;
  }
  starts.push_back(link.size());
  return starts;
}

bool Hex(char character) { return character && std::strchr("0123456789abcdefABCDEF", character); }

bool ValidEscape(TextView text, size_t at) {
  return text[at] == '%' && at + 2 < text.size() && Hex(text[at + 1]) && Hex(text[at + 2]);
}

bool Unsafe(unsigned char byte) { return byte < 0x21 || byte == 0x7F || std::strchr("\"<>\\^`{|}", byte); }

Text ReferenceEscaping(TextView link) {
  static const char digits[] = "0123456789ABCDEF";
  const std::vector<size_t> starts = Characters(link);
  Text escaped;
  for (size_t index = 0; index + 1 < starts.size(); ++index) {
    const size_t at = starts[index], length = starts[index + 1] - at;
    const auto byte = static_cast<unsigned char>(link[at]);
    if (length == 1 && (byte == '%' ? !ValidEscape(link, at) : Unsafe(byte))) {
      escaped += {'%', digits[byte >> 4], digits[byte & 15]};
    } else {
      escaped.append(link.substr(at, length));
    }
  }
  return escaped;
}

int HexValue(char digit) { return digit <= '9' ? digit - '0' : (digit | 0x20) - 'a' + 10; }

Text Decoded(TextView text) {
  Text decoded;
  for (size_t at = 0; at < text.size(); ++at) {
    if (ValidEscape(text, at)) {
      decoded += char(HexValue(text[at + 1]) << 4 | HexValue(text[at + 2]));
      at += 2;
    } else {
      decoded += text[at];
    }
  }
  return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TextView link(reinterpret_cast<const char*>(data), size);
  const Text escaped = EscapeUriCharacters(link);
  FUZZ_CHECK(escaped == ReferenceEscaping(link));
  FUZZ_CHECK(EscapeUriCharacters(escaped) == escaped);
  FUZZ_CHECK(Decoded(escaped) == Decoded(link));
  const std::vector<size_t> starts = Characters(escaped);
  for (size_t index = 0; index + 1 < starts.size(); ++index) {
    const size_t at = starts[index];
    if (starts[index + 1] - at != 1) continue;
    const auto byte = static_cast<unsigned char>(escaped[at]);
    FUZZ_CHECK(!Unsafe(byte));
    if (byte == '%') FUZZ_CHECK(ValidEscape(escaped, at));
  }
  return 0;
}
