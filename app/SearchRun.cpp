#include "app/SearchRun.h"

#include "app/ResultPattern.h"
#include "app/SearchAddress.h"
#include "app/SearchState.h"
#include "automation/RegexObject.h"
#include "ui/MainWindow.h"
#include "ui/WorkerChannel.h"
#include "system/ProcessPendingMessages.h"
#include "web/WebRequest.h"

namespace {

// The loop's bound; in practice a run ends at the first page without an entry.
constexpr int kMostPages = 785133323;

// Adds the row of one match unless the exact filter refuses it, then shows the
// list's row count. False once the run has been ended.
[[nodiscard]] bool AddMatch(const RegexObject& regex, int match) {
  if (!WorkerShouldGoOn()) return false;
  Text sizeText = ResultSizeText(regex, match);
  const bool filtered = mainWindow.精确框.IsChecked();
  // A run ended meanwhile had its read dropped ("unchecked"); it must not
  // count a row of the next run's numbering on that answer.
  if (!WorkerShouldGoOn()) return false;
  const bool kept = !filtered || FindText(regex.SubMatchText(match, 1), searchState.searchKeyword) != -1;
  if (kept) {
    ++searchState.rowNumber;
    const ResultRow row = BuildResultRow(regex, match, searchState.rowNumber, std::move(sizeText));
    const int index = mainWindow.超级列表框1.AppendRow();
    mainWindow.超级列表框1.SetCellText(index, 0, row.number);
    mainWindow.超级列表框1.SetCellText(index, 1, row.fileName);
    mainWindow.超级列表框1.SetCellText(index, 2, row.sizeText);
    mainWindow.超级列表框1.SetCellText(index, 3, row.downloadAddress);
  }
  ProcessPendingMessages();
  mainWindow.状态条.SetPartText(3, "together " + DecimalText(mainWindow.超级列表框1.RowCount()) + " results");
  return true;
}

}  // namespace

void SearchRun() {
  // A worker whose run was ended before its thread got going must leave the
  // numbers alone: they are the current run's by now.
  if (!WorkerShouldGoOn()) return;
  searchState.pageNumber = 0;
  searchState.rowNumber = 0;
  RegexObject regex;
  for (int step = 0; step < kMostPages; ++step) {
    if (step > 0 && !WorkerShouldGoOn()) return;
    const Text keyword = mainWindow.编辑框1.GetText();
    // A run ended meanwhile had its read dropped (empty text): no page for it,
    // and the next run's page count is not its own to touch.
    if (!WorkerShouldGoOn()) return;
    ++searchState.pageNumber;
    const Text address = SearchPageAddress(searchState.siteHost, keyword, searchState.pageNumber);
    const Text pageText = WebRequest(address);
    if (!MatchResultEntries(regex, pageText)) break;
    const int count = regex.MatchCount();
    if (count == 0) break;
    Lock lock(*searchState.resultListLock);
    for (int match = 1; match <= count; ++match) {
      if (!AddMatch(regex, match)) return;
    }
  }
  mainWindow.搜索_按钮.SetCaption("开始");
  mainWindow.记时间.SetInterval(0);
}
