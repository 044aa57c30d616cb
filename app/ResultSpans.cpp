#include "app/ResultSpans.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "system/Room.h"

namespace {

using Page = std::wstring_view;
constexpr size_t kNone = Page::npos;

// The pattern's literals in order (the line feeds between them apart).
constexpr Page kEntryOpen = L"<li>";
constexpr Page kNameEnd = L"<span class=\"lightColor\">";
constexpr Page kSizeEnd = L"</span>";
constexpr Page kFileSizeOpen = L"<span>\u6587\u4EF6\u5927\u5C0F\uFF1A<b class=\"cpill yellow-pill\">";  // 文件大小：
constexpr Page kFileSizeClose = L"</b>";
constexpr Page kLinkOpen = L"\u78C1\u529B\u94FE\u63A5</a> <a href=\"";  // 磁力链接
constexpr Page kLinkClose = L"\" class=\"download\">";

// The engine ignores letter case; no character of code page 936 other than
// an ASCII letter folds to one, so folding ASCII letters is the whole rule.
wchar_t Folded(wchar_t character) {
  return character >= L'A' && character <= L'Z' ? wchar_t(character + (L'a' - L'A')) : character;
}

bool LiteralAt(Page page, size_t at, Page literal) {
  if (page.size() - at < literal.size()) return false;
  for (size_t index = 0; index < literal.size(); ++index)
    if (Folded(page[at + index]) != Folded(literal[index])) return false;
  return true;
}

// The first start of `literal` in [from, to) with the whole literal inside.
// Every literal starts with a character that has no letter case ("<", a
// quote, 磁), so the search can jump from one of those to the next.
size_t FirstLiteral(Page page, size_t from, size_t to, Page literal) {
  if (from == kNone) return kNone;
  const Page range = page.substr(0, to);
  for (size_t at = range.find(literal[0], from); at != kNone && at + literal.size() <= to;
       at = range.find(literal[0], at + 1))
    if (LiteralAt(page, at, literal)) return at;
  return kNone;
}

size_t After(size_t at, Page literal) { return at == kNone ? kNone : at + literal.size(); }

bool StopsDot(wchar_t character, DotStops dotStops) {
  return dotStops == DotStops::AtEveryLineEnd &&
         (character == L'\r' || character == L'\u2028' || character == L'\u2029');
}

// The page's lines, each up to its line feed (or the page's end), with the
// first and last character in it that the dot cannot match.
class Lines {
 public:
  explicit Lines(Page page) : page(page) {}
  // False when the room for the lines is refused: their count is the page's.
  [[nodiscard]] bool Read(DotStops dotStops) {
    // Sized once: growing it step by step costs more than the count.
    if (!ReserveRoom(lines, size_t(std::count(page.begin(), page.end(), L'\n')) + 1)) return false;
    lines.push_back({0, kNone, kNone});
    for (size_t at = 0; at < page.size(); ++at) {
      if (page[at] == L'\n') {
        lines.push_back({at + 1, kNone, kNone});
      } else if (StopsDot(page[at], dotStops)) {
        if (lines.back().firstStop == kNone) lines.back().firstStop = at;
        lines.back().lastStop = at;
      }
    }
    return true;
  }
  size_t Count() const { return lines.size(); }
  size_t Start(size_t line) const { return lines[line].start; }
  size_t End(size_t line) const { return line + 1 < lines.size() ? lines[line + 1].start - 1 : page.size(); }
  size_t FirstStop(size_t line) const { return lines[line].firstStop; }
  size_t LastStop(size_t line) const { return lines[line].lastStop; }
  bool IsPlain(size_t line) const { return lines[line].firstStop == kNone; }

 private:
  struct Line {
    size_t start;
    size_t firstStop;
    size_t lastStop;
  };
  Page page;
  std::vector<Line> lines;
};

// Lines 2 to 8 of an entry whose first line is `line`.
bool MiddleLinesFit(Page page, const Lines& lines, size_t line) {
  for (size_t whole : {1, 2, 3, 4, 6, 7})
    if (!lines.IsPlain(line + whole)) return false;
  const size_t sizeLine = line + 5, start = lines.Start(sizeLine), end = lines.End(sizeLine);
  return lines.IsPlain(sizeLine) &&
         FirstLiteral(page, After(FirstLiteral(page, start, end, kFileSizeOpen), kFileSizeOpen), end,
                      kFileSizeClose) != kNone;
}

// Where the entry whose ninth line is `line` ends, or kNone when that line
// does not close one.
size_t EntryEnd(Page page, const Lines& lines, size_t line) {
  const size_t start = lines.Start(line), end = lines.End(line);
  const size_t linkClose = FirstLiteral(page, After(FirstLiteral(page, start, end, kLinkOpen), kLinkOpen), end,
                                        kLinkClose);
  if (linkClose == kNone || lines.FirstStop(line) < linkClose) return kNone;
  return linkClose + kLinkClose.size();
}

struct Span {
  size_t start = kNone;
  size_t end = kNone;
};

// The leftmost match starting on `line` at or after `from`. Only the
// leftmost "<li>" after the line's last dot stop needs trying: a later one
// has fewer choices for the same literals and the same lines after it.
Span EntryOnLine(Page page, const Lines& lines, size_t line, size_t from) {
  if (line + 8 >= lines.Count()) return {};
  if (from < lines.Start(line)) from = lines.Start(line);
  const size_t lastStop = lines.LastStop(line), end = lines.End(line);
  if (lastStop != kNone && lastStop + 1 > from) from = lastStop + 1;
  const size_t start = FirstLiteral(page, from, end, kEntryOpen);
  const size_t nameEnd = FirstLiteral(page, After(start, kEntryOpen), end, kNameEnd);
  if (FirstLiteral(page, After(nameEnd, kNameEnd), end, kSizeEnd) == kNone) return {};
  if (!MiddleLinesFit(page, lines, line)) return {};
  return {start, EntryEnd(page, lines, line + 8)};
}

}  // namespace

std::wstring ResultEntrySpans(std::wstring_view page, DotStops dotStops) {
  std::wstring spans;
  (void)ResultEntrySpans(page, dotStops, spans);
  return spans;
}

bool ResultEntrySpans(std::wstring_view page, DotStops dotStops, std::wstring& spans) {
  spans.clear();
  Lines lines(page);
  // In one allocation: the entries are the page's, with a line feed between
  // two that touch, and every entry is far longer than 128 characters.
  if (!lines.Read(dotStops) || !ReserveRoom(spans, page.size() + page.size() / 128 + 1)) return false;
  size_t line = 0, from = 0;
  while (line + 8 < lines.Count()) {
    const Span entry = EntryOnLine(page, lines, line, from);
    if (entry.end == kNone) {
      ++line;
      from = 0;
      continue;
    }
    if (!spans.empty()) spans += L'\n';
    spans.append(page.substr(entry.start, entry.end - entry.start));
    // The engine goes on where the match ends, on the entry's ninth line.
    line += 8;
    from = entry.end;
  }
  return true;
}
