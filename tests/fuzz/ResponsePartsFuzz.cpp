// The response parts a request reads without WinHttp, against plain
// references: the status is the status line's bytes from the 10th up to the
// line end; the announced length the digits after the first Content-Length
// (any letter case), or -1; a redirect leaves TLS exactly for a 3xx whose
// target starts with "http:"; and a body gathered in chunks under a cap is
// the bytes that arrived, refused only past the cap, never costing more
// than the cap.
#include <algorithm>
#include <cstring>

#include "tests/fuzz/FuzzInput.h"
#include "web/ResponseParts.h"

namespace {

Text ReferenceStatus(const Text& headers) {
  const size_t end = NaiveFind(headers, "\r\n", 9, LetterCase::Exact);
  return end == TextView::npos ? Text() : headers.substr(9, end - 9);
}

long long ReferenceLength(const Text& headers) {
  const size_t at = NaiveFind(headers, "\r\nContent-Length:", 0, LetterCase::IgnoreAscii);
  if (at == TextView::npos) return -1;
  size_t digit = at + 17;
  while (digit < headers.size() && headers[digit] == ' ') ++digit;
  size_t count = 0;
  long long length = 0;
  for (; digit < headers.size() && headers[digit] >= '0' && headers[digit] <= '9'; ++digit, ++count) {
    if (length > (1LL << 50)) return -1;
    length = length * 10 + (headers[digit] - '0');
  }
  return count == 0 ? -1 : length;
}

bool ReferenceLeavesTls(TextView status, TextView location) {
  auto digit = [](char byte) { return byte >= '0' && byte <= '9'; };
  if (status.size() < 3 || status[0] != '3' || !digit(status[1]) || !digit(status[2])) return false;
  while (!location.empty() && (location[0] == ' ' || location[0] == '\t')) location.remove_prefix(1);
  return BytesMatch(location, 0, "http:", LetterCase::IgnoreAscii);
}

// Gathers `body` in chunks whose sizes are the bytes of `chunkSizes` (each
// read giving what is left when less), under `cap`.
void CheckBodyAssembly(const Text& chunkSizes, const Text& body, size_t cap) {
  ByteSet gathered;
  size_t position = 0;
  for (unsigned char chunk : chunkSizes) {
    if (position == body.size()) break;
    const size_t held = gathered.size();
    if (MakeRoomForChunk(gathered, chunk, cap) != BodyRoom::Made) {
      FUZZ_CHECK(cap > 0 && held + chunk > cap);
      FUZZ_CHECK(gathered.size() == held);
      break;
    }
    FUZZ_CHECK(gathered.size() == held + chunk);
    const size_t arrived = std::min<size_t>(chunk, body.size() - position);
    if (arrived > 0) std::memcpy(gathered.data() + held, body.data() + position, arrived);
    gathered.resize(held + arrived);
    position += arrived;
    if (cap > 0) FUZZ_CHECK(gathered.capacity() <= cap);
  }
  FUZZ_CHECK(gathered.size() == position);
  FUZZ_CHECK(position == 0 || std::memcmp(gathered.data(), body.data(), position) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Headers, a redirect's location, chunk sizes, then the body.
  FuzzInput input = ReadFuzzInput(data, size, 4);
  const Text& headers = input.fields[0];
  FUZZ_CHECK(StatusOfHeaders(headers) == ReferenceStatus(headers));
  FUZZ_CHECK(AnnouncedLength(headers) == ReferenceLength(headers));
  const Text status = StatusOfHeaders(headers);
  FUZZ_CHECK(RedirectsToPlainHttp(status, input.fields[1]) == ReferenceLeavesTls(status, input.fields[1]));
  // The options byte picks the cap: none, or 1 to 127 bytes times a scale.
  const size_t cap = (input.options & 0x7F) * size_t(input.options & 0x80 ? 64 : 1);
  CheckBodyAssembly(input.fields[2], input.fields[3], cap);
  return 0;
}
