#include "app/SearchAddress.h"

#include "text/UriCharacters.h"

namespace {

bool NeedsEscape(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '#' || byte == '?' || byte == '%' || byte == '/' ||
         byte == '\\' || byte == ' ';
}

}  // namespace

Text EncodeKeywordSegment(TextView keyword) {
  Text segment;
  segment.reserve(keyword.size());
  for (size_t at = 0; at < keyword.size(); ++at) {
    const char character = keyword[at];
    const auto byte = static_cast<unsigned char>(character);
    // A double-byte character goes whole: its trail byte may look like "\\",
    // "?" or another escaped one (運 is DF 5C), and is none of them.
    if (IsLeadByte(character) && at + 1 < keyword.size()) {
      segment.append(keyword.substr(at, 2));
      ++at;
      continue;
    }
    if (!NeedsEscape(byte)) {
      segment += character;
      continue;
    }
    AppendPercentEscape(segment, byte);
  }
  return segment;
}

Text SearchPageAddress(TextView host, TextView keyword, int pageNumber) {
  return "https://" + Text(host) + "/ma/" + EncodeKeywordSegment(keyword) + "/time-" + DecimalText(pageNumber) +
         ".html";
}
