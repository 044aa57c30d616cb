#include "text/UriCharacters.h"

namespace {

// A double-byte character of code page 936: a lead byte 81 to FE, then a
// second byte 40 to 7E or 80 to FE. Any other byte is a character of its own,
// so that a quote after a lead byte is escaped even where a conversion would
// take the pair whole.
bool BeginsDoubleByteCharacter(TextView link, size_t at) {
  if (at + 1 >= link.size()) return false;
  const auto lead = static_cast<unsigned char>(link[at]);
  const auto second = static_cast<unsigned char>(link[at + 1]);
  return lead >= 0x81 && lead <= 0xFE && second >= 0x40 && second <= 0xFE && second != 0x7F;
}

bool IsHexDigit(char character) {
  return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'F') ||
         (character >= 'a' && character <= 'f');
}

bool BeginsEscape(TextView link, size_t at) {
  return at + 2 < link.size() && IsHexDigit(link[at + 1]) && IsHexDigit(link[at + 2]);
}

bool StaysAsItIs(TextView link, size_t at) {
  const auto byte = static_cast<unsigned char>(link[at]);
  if (byte >= 0x80) return true;
  if (byte <= 0x20 || byte == 0x7F) return false;
  switch (byte) {
    case '"': case '<': case '>': case '\\': case '^': case '`': case '{': case '|': case '}':
      return false;
    case '%':
      return BeginsEscape(link, at);
    default:
      return true;
  }
}

}  // namespace

void AppendPercentEscape(Text& text, unsigned char byte) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  text += '%';
  text += kHexDigits[byte >> 4];
  text += kHexDigits[byte & 0x0F];
}

Text EscapeUriCharacters(TextView link) {
  Text escaped;
  escaped.reserve(link.size());
  for (size_t at = 0; at < link.size(); ++at) {
    if (BeginsDoubleByteCharacter(link, at)) {
      escaped.append(link.substr(at, 2));
      ++at;
      continue;
    }
    if (StaysAsItIs(link, at)) {
      escaped += link[at];
      continue;
    }
    AppendPercentEscape(escaped, static_cast<unsigned char>(link[at]));
  }
  return escaped;
}
