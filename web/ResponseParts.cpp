#include "web/ResponseParts.h"

#include "system/Room.h"

Text StatusOfHeaders(const Text& rawHeaders) {
  const int lineEnd = FindText(rawHeaders, "\r\n", 10);
  return lineEnd == -1 ? Text() : rawHeaders.substr(9, size_t(lineEnd - 10));
}

int StatusCode(TextView statusText) {
  if (statusText.size() < 3) return 0;
  int code = 0;
  for (size_t at = 0; at < 3; ++at) {
    if (statusText[at] < '0' || statusText[at] > '9') return 0;
    code = code * 10 + (statusText[at] - '0');
  }
  return code;
}

long long AnnouncedLength(const Text& rawHeaders) {
  const int at = FindText(rawHeaders, "\r\nContent-Length:", 1, LetterCase::IgnoreAscii);
  if (at < 0) return -1;
  size_t digit = size_t(at - 1) + 17;
  while (digit < rawHeaders.size() && rawHeaders[digit] == ' ') ++digit;
  long long length = 0;
  bool any = false;
  for (; digit < rawHeaders.size() && rawHeaders[digit] >= '0' && rawHeaders[digit] <= '9'; ++digit) {
    any = true;
    if (length > (1LL << 50)) return -1;
    length = length * 10 + (rawHeaders[digit] - '0');
  }
  return any ? length : -1;
}

bool RedirectsToPlainHttp(TextView statusText, TextView location) {
  const int code = StatusCode(statusText);
  if (code < 300 || code > 399) return false;
  size_t start = 0;
  while (start < location.size() && (location[start] == ' ' || location[start] == '\t')) ++start;
  return FindText(location.substr(start), "http:", 1, LetterCase::IgnoreAscii) == 1;
}

BodyRoom MakeRoomForChunk(ByteSet& body, size_t chunk, size_t mostBytes) {
  const size_t held = body.size();
  if (mostBytes > 0 && (held > mostBytes || chunk > mostBytes - held)) return BodyRoom::PastBound;
  if (chunk > body.max_size() - held) return BodyRoom::Refused;
  const size_t needed = held + chunk;
  if (needed > body.capacity()) {
    // Grows as the vector would, by doubling, but stops at the bound.
    size_t doubled = body.capacity() > body.max_size() / 2 ? body.max_size() : body.capacity() * 2;
    if (mostBytes > 0 && doubled > mostBytes) doubled = mostBytes;
    // The body's size is the site's to choose: no room is an answer.
    if (!ReserveRoom(body, needed > doubled ? needed : doubled)) return BodyRoom::Refused;
  }
  body.resize(needed);
  return BodyRoom::Made;
}
