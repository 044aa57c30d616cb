#include "app/ResultSpans.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "system/Room.h"
#include "text/EngineLiteral.h"

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

PageSpan Between(size_t start, size_t end) { return {start, end - start}; }

// The entry whose first line is `line`, its match starting at `start`, once
// line 1 has given its first three groups: lines 2 to 9 decide the rest. The
// lazy groups take the first occurrence of each literal; a later one could
// only fit where the first does. False when the lines do not hold one.
bool RestOfEntry(Page page, const Lines& lines, size_t line, ResultEntry& entry) {
  for (size_t whole : {1, 2, 3, 4, 6, 7})
    if (!lines.IsPlain(line + whole)) return false;
  for (size_t whole : {1, 2, 3, 4})
    entry.groups[2 + whole] = Between(lines.Start(line + whole), lines.End(line + whole));
  const size_t sizeLine = line + 5, sizeStart = lines.Start(sizeLine), sizeEnd = lines.End(sizeLine);
  if (!lines.IsPlain(sizeLine)) return false;
  const size_t sizeOpen = FirstLiteral(page, sizeStart, sizeEnd, kFileSizeOpen);
  const size_t sizeClose = FirstLiteral(page, After(sizeOpen, kFileSizeOpen), sizeEnd, kFileSizeClose);
  if (sizeClose == kNone) return false;
  entry.groups[7] = Between(sizeStart, sizeOpen);
  entry.groups[8] = Between(sizeOpen + kFileSizeOpen.size(), sizeClose);
  entry.groups[9] = Between(sizeClose + kFileSizeClose.size(), sizeEnd);
  for (size_t whole : {6, 7}) entry.groups[4 + whole] = Between(lines.Start(line + whole), lines.End(line + whole));
  const size_t linkLine = line + 8, linkStart = lines.Start(linkLine), linkEnd = lines.End(linkLine);
  const size_t linkOpen = FirstLiteral(page, linkStart, linkEnd, kLinkOpen);
  const size_t linkClose = FirstLiteral(page, After(linkOpen, kLinkOpen), linkEnd, kLinkClose);
  if (linkClose == kNone || lines.FirstStop(linkLine) < linkClose) return false;
  entry.groups[12] = Between(linkStart, linkOpen);
  entry.groups[13] = Between(linkOpen + kLinkOpen.size(), linkClose);
  entry.match.length = linkClose + kLinkClose.size() - entry.match.start;
  return true;
}

// The leftmost match starting on `line` at or after `from`. Only the
// leftmost "<li>" after the line's last dot stop needs trying: a later one
// has fewer choices for the same literals and the same lines after it.
bool EntryOnLine(Page page, const Lines& lines, size_t line, size_t from, ResultEntry& entry) {
  if (line + 8 >= lines.Count()) return false;
  if (from < lines.Start(line)) from = lines.Start(line);
  const size_t lastStop = lines.LastStop(line), end = lines.End(line);
  if (lastStop != kNone && lastStop + 1 > from) from = lastStop + 1;
  const size_t start = FirstLiteral(page, from, end, kEntryOpen);
  const size_t nameEnd = FirstLiteral(page, After(start, kEntryOpen), end, kNameEnd);
  const size_t sizeEnd = FirstLiteral(page, After(nameEnd, kNameEnd), end, kSizeEnd);
  if (sizeEnd == kNone) return false;
  entry.match.start = start;
  entry.groups[0] = Between(start + kEntryOpen.size(), nameEnd);
  entry.groups[1] = Between(nameEnd + kNameEnd.size(), sizeEnd);
  entry.groups[2] = Between(sizeEnd + kSizeEnd.size(), end);
  return RestOfEntry(page, lines, line, entry);
}

// Each match in page order, handed to `each`. The engine goes on where a
// match ends, on the entry's ninth line.
template <typename Each>
void ForEachEntry(Page page, const Lines& lines, Each each) {
  size_t line = 0, from = 0;
  while (line + 8 < lines.Count()) {
    ResultEntry entry;
    if (!EntryOnLine(page, lines, line, from, entry)) {
      ++line;
      from = 0;
      continue;
    }
    each(entry);
    line += 8;
    from = entry.match.start + entry.match.length;
  }
}

}  // namespace

bool ResultEntries(std::wstring_view page, DotStops dotStops, std::vector<ResultEntry>& entries) {
  entries.clear();
  Lines lines(page);
  // An entry takes nine lines at the least.
  if (!lines.Read(dotStops) || !ReserveRoom(entries, lines.Count() / 9 + 1)) return false;
  ForEachEntry(page, lines, [&](const ResultEntry& entry) { entries.push_back(entry); });
  return true;
}

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
  ForEachEntry(page, lines, [&](const ResultEntry& entry) {
    if (!spans.empty()) spans += L'\n';
    spans.append(page.substr(entry.match.start, entry.match.length));
  });
  return true;
}
