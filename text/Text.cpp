#include "text/Text.h"

#include <cstdio>

namespace {

char FoldAscii(char byte) { return byte >= 'A' && byte <= 'Z' ? char(byte - 'A' + 'a') : byte; }

// `at` starts a character. Ignoring case folds a letter only where it is a
// character of its own: the byte after a lead byte is the second half of a
// double-byte character whatever its value (說 is D5 66, 誇 is D5 46).
bool SameBytes(const char* at, TextView what, LetterCase letterCase) {
  bool trail = false;
  for (size_t i = 0; i < what.size(); ++i) {
    const bool fold = letterCase == LetterCase::IgnoreAscii && !trail;
    if (fold ? FoldAscii(at[i]) != FoldAscii(what[i]) : at[i] != what[i]) return false;
    trail = !trail && IsLeadByte(at[i]);
  }
  return true;
}

// Zero-based offset of `what` at or after `from`, on character boundaries.
size_t FindFrom(TextView text, TextView what, size_t from, LetterCase letterCase) {
  for (size_t at = from; at < text.size(); at += IsLeadByte(text[at]) ? 2 : 1) {
    if (text.size() - at >= what.size() && SameBytes(text.data() + at, what, letterCase)) return at;
  }
  return TextView::npos;
}

constexpr TextView kFullWidthSpace = "\xA1\xA1";  // 　

// Length of the space at `at`, or 0 when the character there is no space.
size_t SpaceLength(TextView text, size_t at) {
  if (text[at] == ' ') return 1;
  return text.substr(at, 2) == kFullWidthSpace ? 2 : 0;
}

}  // namespace

int FindText(TextView text, TextView what, int startPosition, LetterCase letterCase) {
  if (startPosition < 1) startPosition = 1;
  size_t at = FindFrom(text, what, size_t(startPosition - 1), letterCase);
  return at == TextView::npos ? -1 : int(at + 1);
}

TextList SplitText(TextView text, TextView separator) {
  TextList pieces;
  if (separator.empty()) {
    if (!text.empty()) pieces.emplace_back(text);
    return pieces;
  }
  size_t from = 0;
  for (size_t at; (at = FindFrom(text, separator, from, LetterCase::Exact)) != TextView::npos;
       from = at + separator.size()) {
    pieces.emplace_back(text.substr(from, at - from));
  }
  if (from < text.size()) pieces.emplace_back(text.substr(from));
  return pieces;
}

Text ReplaceAll(TextView text, TextView what, TextView with, LetterCase letterCase) {
  if (what.empty()) return Text(text);
  Text result;
  result.reserve(text.size());
  size_t from = 0;
  for (size_t at; (at = FindFrom(text, what, from, letterCase)) != TextView::npos; from = at + what.size()) {
    result.append(text.substr(from, at - from)).append(with);
  }
  return result.append(text.substr(from));
}

Text TrimSpaces(TextView text) {
  size_t begin = 0;
  while (begin < text.size()) {
    size_t space = SpaceLength(text, begin);
    if (space == 0) break;
    begin += space;
  }
  // Walk forward so that the end is found on a character boundary.
  size_t end = begin;
  for (size_t at = begin; at < text.size();) {
    size_t space = SpaceLength(text, at);
    size_t step = space ? space : (IsLeadByte(text[at]) ? 2 : 1);
    at += step;
    if (space == 0) end = at < text.size() ? at : text.size();
  }
  return Text(text.substr(begin, end - begin));
}

Text RemoveSpaces(TextView text) {
  Text result;
  result.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t space = SpaceLength(text, at);
    if (space) {
      at += space;
      continue;
    }
    size_t step = IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
    result.append(text.substr(at, step));
    at += step;
  }
  return result;
}

Text DecimalText(long long value) {
  char digits[24];
  int length = std::snprintf(digits, sizeof digits, "%lld", value);
  return Text(digits, size_t(length));
}
