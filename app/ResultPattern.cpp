#include "app/ResultPattern.h"

#include "app/ResultSpans.h"
#include "system/Room.h"
#include "text/CodePage936.h"

// app/ResultSpans.cpp finds the matches of these same literals and lines
// first: a change here is a change there (result_pattern_tests compare).
const char ResultPattern[] =
    "<li>(.*?)<span class=#引号lightColor#引号>(.*?)</span>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)"
    "<span>文件大小：<b class=#引号cpill yellow-pill#引号>(.*?)</b>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)磁力链接</a> "
    "<a href=#引号(.*?)#引号 class=#引号download#引号>";

namespace {

// The groups the columns are made of, in the columns' order, and where each
// column's group is among them (-1 for a column made otherwise).
struct EntryGroups {
  int numbers[kResultColumnCount] = {};
  int count = 0;
  int ofColumn[kResultColumnCount] = {};
};

constexpr EntryGroups ColumnGroups() {
  EntryGroups groups;
  for (int column = 0; column < kResultColumnCount; ++column) {
    const ResultColumnRecord& record = kResultColumns[column];
    groups.ofColumn[column] = record.source == CellSource::RowNumber ? -1 : groups.count;
    if (record.source != CellSource::RowNumber) groups.numbers[groups.count++] = record.matchGroup;
  }
  return groups;
}

constexpr EntryGroups kEntryGroups = ColumnGroups();

bool MatchWithEngine(PageEntries& entries) {
  if (entries.matcher == ResultMatcher::BuiltIn) return false;
  // Room refused here leaves the page to the finder, which has it whole.
  size_t size = 0;
  for (const ResultEntry& entry : entries.found) size += entry.match.length + 1;
  std::wstring spans;
  if (!ReserveRoom(spans, size)) return false;
  for (const ResultEntry& entry : entries.found) {
    if (!spans.empty()) spans += L'\n';
    spans.append(entries.page, entry.match.start, entry.match.length);
  }
  return entries.regex.Match(ResultPattern, spans, /*caseSensitive=*/false, /*multiLine=*/false, /*global=*/true,
                             /*quoteToken=*/true);
}

// The engine's reading, counting the entries it handed on.
struct EngineReading {
  RegexObject::GroupsTaker take;
  void* context;
  size_t handedOn;
};

bool TakeFromEngine(void* context, const Text* texts) {
  EngineReading& reading = *static_cast<EngineReading*>(context);
  ++reading.handedOn;
  return reading.take(reading.context, texts);
}

Text GroupText(const std::wstring& page, PageSpan group) {
  return Utf16ToText(page.data() + group.start, int(group.length));
}

}  // namespace

int MatchResultEntries(PageEntries& entries, TextView pageText, bool* noRoom) {
  if (noRoom) *noRoom = false;
  entries.engineMatched = false;
  // Asked even when the finder matches alone, so that it matches as the engine there would.
  const DotStops dotStops = entries.regex.EngineDotStops();
  // Over the whole page the engine backtracks through every split of each
  // failing start, steeply on long lines; over the entries alone it finds the
  // same matches with no failing start.
  if (!TextToUtf16(pageText, entries.page) || !ResultEntries(entries.page, dotStops, entries.found)) {
    entries.found.clear();
    if (noRoom) *noRoom = true;
    return 0;
  }
  entries.engineMatched = MatchWithEngine(entries);
  return entries.engineMatched ? entries.regex.MatchCount() : int(entries.found.size());
}

void ReadResultEntries(PageEntries& entries, RegexObject::GroupsTaker take, void* context) {
  EngineReading reading{take, context, 0};
  if (entries.engineMatched &&
      entries.regex.ReadGroupsOfEveryMatch(kEntryGroups.numbers, kEntryGroups.count, TakeFromEngine, &reading))
    return;
  Text texts[kResultColumnCount];
  for (size_t entry = reading.handedOn; entry < entries.found.size(); ++entry) {
    for (int group = 0; group < kEntryGroups.count; ++group)
      texts[group] = GroupText(entries.page, entries.found[entry].groups[kEntryGroups.numbers[group] - 1]);
    if (!take(context, texts)) return;
  }
}

Text ResultSizeText(TextView sizeGroup) {
  // "?" is never a trail byte of code page 936, so only real question marks go.
  return ReplaceAll(sizeGroup, "?", "");
}

TextView EntryGroup(const Text* groups, ResultColumn column) {
  const int group = kEntryGroups.ofColumn[ColumnIndex(column)];
  return group >= 0 ? TextView(groups[group]) : TextView();
}

void AddResultRow(RowBatch& batch, const Text* groups, int rowNumber) {
  Text made[kResultColumnCount];
  TextView cells[kResultColumnCount];
  for (const ResultColumnRecord& record : kResultColumns) {
    const int column = ColumnIndex(record.id);
    const TextView group = EntryGroup(groups, record.id);
    switch (record.source) {
      case CellSource::RowNumber:
        cells[column] = made[column] = DecimalText(rowNumber);
        break;
      case CellSource::MatchGroup:
        cells[column] = group;
        break;
      case CellSource::SizeGroup:
        cells[column] = made[column] = ResultSizeText(group);
        break;
    }
  }
  batch.Add(cells);
}
