#include "app/SearchAddress.h"

namespace {

bool NeedsEscape(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '#' || byte == '?' || byte == '%' || byte == '/' ||
         byte == '\\' || byte == ' ';
}

}  // namespace

Text EncodeKeywordSegment(TextView keyword) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  Text segment;
  segment.reserve(keyword.size());
  for (char character : keyword) {
    const auto byte = static_cast<unsigned char>(character);
    if (!NeedsEscape(byte)) {
      segment += character;
      continue;
    }
    segment += '%';
    segment += kHexDigits[byte >> 4];
    segment += kHexDigits[byte & 0x0F];
  }
  return segment;
}

Text SearchPageAddress(TextView host, TextView keyword, int pageNumber) {
  return "https://" + Text(host) + "/ma/" + EncodeKeywordSegment(keyword) + "/time-" + DecimalText(pageNumber) +
         ".html";
}
