#include "web/RetryAfter.h"

#include <algorithm>

namespace {

constexpr long long kSecondsADay = 86400;
// A clock outside the four-digit years is taken as their nearest end, so
// that no sum with it can overflow; the answer is the same either way.
constexpr long long kEarliestSecond = -62167219200;  // 0000-01-01 00:00:00
constexpr long long kLatestSecond = 253402300799;    // 9999-12-31 23:59:59

bool IsBlank(char byte) { return byte == ' ' || byte == '\t'; }
bool IsDigit(char byte) { return byte >= '0' && byte <= '9'; }

// The value of the first header called `name`, in any letter case, without
// the spaces and tabs around it; false without such a header.
bool FindHeader(const Text& rawHeaders, TextView name, TextView& value) {
  const Text start = "\r\n" + Text(name) + ":";
  const int at = FindText(rawHeaders, start, 1, LetterCase::IgnoreAscii);
  if (at < 0) return false;
  size_t first = size_t(at - 1) + start.size();
  const int end = FindText(rawHeaders, "\r\n", int(first) + 1);
  size_t last = end < 0 ? rawHeaders.size() : size_t(end - 1);
  while (first < last && IsBlank(rawHeaders[first])) ++first;
  while (last > first && IsBlank(rawHeaders[last - 1])) --last;
  value = TextView(rawHeaders).substr(first, last - first);
  return true;
}

// 1*DIGIT, clamped rather than overflowed.
long long DelaySeconds(TextView digits) {
  long long seconds = 0;
  for (char digit : digits) {
    if (seconds < kLongestRetryAfter) seconds = std::min(seconds * 10 + (digit - '0'), kLongestRetryAfter);
  }
  return seconds;
}

bool IsLeapYear(long long year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(long long year, int month) {
  if (month == 2) return IsLeapYear(year) ? 29 : 28;
  return month == 4 || month == 6 || month == 9 || month == 11 ? 30 : 31;
}

// Days from 1970-01-01 to the date, in the Gregorian calendar carried back
// (H. Hinnant's days_from_civil: years counted from March, in eras of 400).
long long DaysSince1970(long long year, int month, int day) {
  if (month <= 2) --year;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

long long YearOf(long long unixSeconds) {
  long long year = 1970 + unixSeconds / (kSecondsADay * 365);
  while (DaysSince1970(year, 1, 1) * kSecondsADay > unixSeconds) --year;
  while (DaysSince1970(year + 1, 1, 1) * kSecondsADay <= unixSeconds) ++year;
  return year;
}

const char* const kDayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char* const kLongDayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct DateAndTime {
  long long year = 0;
  int month = 0;  // 1 to 12
  int day = 0, hour = 0, minute = 0, second = 0;
};

// An HTTP date's pieces, read left to right as its form names them. The
// names are matched in their letter case: HTTP dates are case-sensitive.
class DateReader {
 public:
  explicit DateReader(TextView text) : text(text) {}
  [[nodiscard]] bool Literal(TextView what) {
    if (text.substr(at, what.size()) != what) return false;
    at += what.size();
    return true;
  }
  [[nodiscard]] bool Digits(size_t count, int& value) {
    value = 0;
    for (size_t index = 0; index < count; ++index, ++at) {
      if (at == text.size() || !IsDigit(text[at])) return false;
      value = value * 10 + (text[at] - '0');
    }
    return true;
  }
  template <size_t count>
  [[nodiscard]] bool Name(const char* const (&names)[count], int& index) {
    for (index = 0; index < int(count); ++index) {
      if (Literal(names[index])) return true;
    }
    return false;
  }
  [[nodiscard]] bool Month(DateAndTime& date) {
    int index = 0;
    if (!Name(kMonthNames, index)) return false;
    date.month = index + 1;
    return true;
  }
  [[nodiscard]] bool Year(size_t digits, DateAndTime& date) {
    int year = 0;
    if (!Digits(digits, year)) return false;
    date.year = year;
    return true;
  }
  [[nodiscard]] bool TimeOfDay(DateAndTime& date) {
    return Digits(2, date.hour) && Literal(":") && Digits(2, date.minute) && Literal(":") && Digits(2, date.second);
  }
  [[nodiscard]] bool AtEnd() const { return at == text.size(); }

 private:
  TextView text;
  size_t at = 0;
};

// Sun, 06 Nov 1994 08:49:37 GMT
bool ReadFixdate(TextView text, DateAndTime& date) {
  DateReader reader(text);
  int dayName = 0;
  return reader.Name(kDayNames, dayName) && reader.Literal(", ") && reader.Digits(2, date.day) &&
         reader.Literal(" ") && reader.Month(date) && reader.Literal(" ") && reader.Year(4, date) &&
         reader.Literal(" ") && reader.TimeOfDay(date) && reader.Literal(" GMT") && reader.AtEnd();
}

// Sunday, 06-Nov-94 08:49:37 GMT, its year placed by the clock's.
bool ReadRfc850Date(TextView text, long long clockYear, DateAndTime& date) {
  DateReader reader(text);
  int dayName = 0;
  if (!(reader.Name(kLongDayNames, dayName) && reader.Literal(", ") && reader.Digits(2, date.day) &&
        reader.Literal("-") && reader.Month(date) && reader.Literal("-") && reader.Year(2, date) &&
        reader.Literal(" ") && reader.TimeOfDay(date) && reader.Literal(" GMT") && reader.AtEnd()))
    return false;
  // The latest year with those two digits at most 50 years after the clock's.
  const long long latest = clockYear + 50;
  date.year = latest - ((latest - date.year) % 100 + 100) % 100;
  return true;
}

// Sun Nov  6 08:49:37 1994
bool ReadAsctimeDate(TextView text, DateAndTime& date) {
  DateReader reader(text);
  int dayName = 0;
  if (!(reader.Name(kDayNames, dayName) && reader.Literal(" ") && reader.Month(date) && reader.Literal(" ")))
    return false;
  const bool dayRead = reader.Literal(" ") ? reader.Digits(1, date.day) : reader.Digits(2, date.day);
  return dayRead && reader.Literal(" ") && reader.TimeOfDay(date) && reader.Literal(" ") && reader.Year(4, date) &&
         reader.AtEnd();
}

// The seconds since 1970 of an HTTP date; false, `seconds` left alone, for
// any other text. The day's name is read, not checked against the date; a
// leap second (:60) counts as the next second.
bool ReadHttpDate(TextView text, long long clock, long long& seconds) {
  DateAndTime date;
  if (!ReadFixdate(text, date) && !ReadRfc850Date(text, YearOf(clock), date) && !ReadAsctimeDate(text, date))
    return false;
  if (date.day < 1 || date.day > DaysInMonth(date.year, date.month) || date.hour > 23 || date.minute > 59 ||
      date.second > 60)
    return false;
  seconds = DaysSince1970(date.year, date.month, date.day) * kSecondsADay + date.hour * 3600LL +
            date.minute * 60LL + date.second;
  return true;
}

}  // namespace

long long RetryAfterSeconds(const Text& rawHeaders, long long nowUnixSeconds) {
  TextView value;
  if (!FindHeader(rawHeaders, "Retry-After", value) || value.empty()) return -1;
  if (std::all_of(value.begin(), value.end(), IsDigit)) return DelaySeconds(value);
  const long long clock = std::clamp(nowUnixSeconds, kEarliestSecond, kLatestSecond);
  long long until = 0;
  if (!ReadHttpDate(value, clock, until)) return -1;
  // The date is by the server's clock, which may be off ours by any amount:
  // the wait counts from the response's own Date.
  long long sent = clock;
  TextView sentText;
  if (FindHeader(rawHeaders, "Date", sentText)) (void)ReadHttpDate(sentText, clock, sent);
  if (until <= sent) return 0;
  return std::min(until - sent, kLongestRetryAfter);
}
