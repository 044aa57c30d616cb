// The response parts a request reads without WinHttp, against plain
// references: the status is the status line's bytes from the 10th up to the
// line end; the announced length the digits after the first Content-Length
// (any letter case), or -1; a redirect leaves TLS exactly for a 3xx whose
// target starts with "http:"; the wait a Retry-After asks for is its
// digits, or its date matched against the three forms' patterns and counted
// out day by day; and a body gathered in chunks under a cap is the bytes
// that arrived, refused only past the cap, never costing more than the cap.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/FuzzInput.h"
#include "web/ResponseParts.h"
#include "web/RetryAfter.h"

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

// The value of the first header `name` (with its colon), blanks trimmed.
bool ReferenceHeader(const Text& headers, const char* name, Text& value) {
  const Text start = Text("\r\n") + name;
  const size_t at = NaiveFind(headers, start, 0, LetterCase::IgnoreAscii);
  if (at == TextView::npos) return false;
  const size_t from = at + start.size();
  const size_t end = std::min(NaiveFind(headers, "\r\n", from, LetterCase::Exact), headers.size());
  value = headers.substr(from, end - from);
  while (!value.empty() && (value[0] == ' ' || value[0] == '\t')) value.erase(0, 1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
  return true;
}

bool ReferenceLeapYear(long long year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

long long ReferenceYearSeconds(long long year) { return (ReferenceLeapYear(year) ? 366 : 365) * 86400LL; }

long long ReferenceClockYear(long long clock) {
  long long year = 1970;
  for (long long start = 0; start + ReferenceYearSeconds(year) <= clock; start += ReferenceYearSeconds(year++)) {
  }
  return year;
}

// The date's pieces: the letters of a pattern name them (a: the short day
// name, A: the long one, b: the month, D Y h m s: a digit of the day, year,
// hour, minute, second); every other byte stands for itself.
bool MatchDate(TextView text, TextView pattern, long long clockYear, long long& seconds) {
  static const char* const shortDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static const char* const longDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  auto oneOf = [&](const char* const* names, int count, size_t& at) {
    for (int index = 0; index < count; ++index) {
      const TextView name = names[index];
      if (text.substr(at).substr(0, name.size()) == name) {
        at += name.size();
        return index;
      }
    }
    return -1;
  };
  long long day = 0, year = 0, hour = 0, minute = 0, second = 0;
  int month = 0, yearDigits = 0;
  size_t at = 0;
  for (char piece : pattern) {
    if (piece == 'a' || piece == 'A') {
      if ((piece == 'a' ? oneOf(shortDays, 7, at) : oneOf(longDays, 7, at)) < 0) return false;
      continue;
    }
    if (piece == 'b') {
      month = oneOf(months, 12, at) + 1;
      if (month == 0) return false;
      continue;
    }
    long long* digits = piece == 'D' ? &day : piece == 'Y' ? &year : piece == 'h' ? &hour
                      : piece == 'm' ? &minute : piece == 's' ? &second : nullptr;
    if (at == text.size()) return false;
    if (!digits) {
      if (text[at++] != piece) return false;
      continue;
    }
    if (text[at] < '0' || text[at] > '9') return false;
    *digits = *digits * 10 + (text[at++] - '0');
    if (piece == 'Y') ++yearDigits;
  }
  if (at != text.size()) return false;
  if (yearDigits == 2) {
    while (year + 100 <= clockYear + 50) year += 100;
  }
  const int monthDays[] = {31, ReferenceLeapYear(year) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day < 1 || day > monthDays[month - 1] || hour > 23 || minute > 59 || second > 60) return false;
  seconds = 0;
  for (long long counted = 1970; counted < year; ++counted) seconds += ReferenceYearSeconds(counted);
  for (long long counted = year; counted < 1970; ++counted) seconds -= ReferenceYearSeconds(counted);
  for (int earlier = 0; earlier < month - 1; ++earlier) seconds += monthDays[earlier] * 86400LL;
  seconds += (day - 1) * 86400 + hour * 3600 + minute * 60 + second;
  return true;
}

bool ReferenceDate(TextView text, long long clockYear, long long& seconds) {
  for (TextView pattern : {"a, DD b YYYY hh:mm:ss GMT", "A, DD-b-YY hh:mm:ss GMT", "a b  D hh:mm:ss YYYY",
                           "a b DD hh:mm:ss YYYY"}) {
    if (MatchDate(text, pattern, clockYear, seconds)) return true;
  }
  return false;
}

// For clocks from 1970 on, as the target gives them.
long long ReferenceRetryAfter(const Text& headers, long long clock) {
  Text value;
  if (!ReferenceHeader(headers, "Retry-After:", value) || value.empty()) return -1;
  if (value.find_first_not_of("0123456789") == Text::npos) {
    const size_t significant = value.find_first_not_of('0');
    if (significant == Text::npos) return 0;
    if (value.size() - significant > 10) return kLongestRetryAfter;
    return std::min(std::strtoll(value.c_str() + significant, nullptr, 10), kLongestRetryAfter);
  }
  const long long clockYear = ReferenceClockYear(clock);
  long long until = 0, sent = clock;
  if (!ReferenceDate(value, clockYear, until)) return -1;
  Text sentText;
  long long read = 0;
  if (ReferenceHeader(headers, "Date:", sentText) && ReferenceDate(sentText, clockYear, read)) sent = read;
  return until <= sent ? 0 : std::min(until - sent, kLongestRetryAfter);
}

// The clock's digits (at most 11: until the year 5138), or 2025-01-01 without any.
long long ClockOf(const Text& digits) {
  long long clock = 0;
  size_t count = 0;
  for (; count < digits.size() && count < 11 && digits[count] >= '0' && digits[count] <= '9'; ++count)
    clock = clock * 10 + (digits[count] - '0');
  return count == 0 ? 1735689600 : clock;
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
  // Headers, a redirect's location, chunk sizes, the clock, then the body.
  FuzzInput input = ReadFuzzInput(data, size, 5);
  const Text& headers = input.fields[0];
  FUZZ_CHECK(StatusOfHeaders(headers) == ReferenceStatus(headers));
  FUZZ_CHECK(AnnouncedLength(headers) == ReferenceLength(headers));
  const Text status = StatusOfHeaders(headers);
  FUZZ_CHECK(RedirectsToPlainHttp(status, input.fields[1]) == ReferenceLeavesTls(status, input.fields[1]));
  const long long clock = ClockOf(input.fields[3]);
  FUZZ_CHECK(RetryAfterSeconds(headers, clock) == ReferenceRetryAfter(headers, clock));
  // The options byte picks the cap: none, or 1 to 127 bytes times a scale.
  const size_t cap = (input.options & 0x7F) * size_t(input.options & 0x80 ? 64 : 1);
  CheckBodyAssembly(input.fields[2], input.fields[4], cap);
  return 0;
}
