#include "tests/app/FaultSiteSearch.h"

#include <commctrl.h>

#include "app/ProgramStart.h"
#include "app/RunDisplay.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/app/SearchDriving.h"
#include "tests/ui/WindowTestSupport.h"
#include "text/CodePage936.h"
#include "ui/MainWindow.h"

namespace {

// The tooltip the status bar itself holds for a part (not the kept copy).
Text ShownPartTip(const StatusBar& bar, int part) {
  wchar_t tip[512] = {};
  SendMessageW(bar.handle, SB_GETTIPTEXTW, MAKEWPARAM(part, 512), reinterpret_cast<LPARAM>(tip));
  return Utf16ToText(tip, lstrlenW(tip));
}

Text ShownText(HWND window) {
  const std::wstring text = WindowTextOf(window);
  return Utf16ToText(text.c_str(), int(text.size()));
}

}  // namespace

void FaultSiteSearch::SetUp() {
  ASSERT_TRUE(site.StartFaultSite(true));
  app.search.siteHost = site.Host();
  app.search.workerBody = SearchRun;
  ASSERT_TRUE(CreateAppWindow(app));
}

void FaultSiteSearch::TearDown() { ResetAppState(); }

void FaultSiteSearch::StartSearch(const Text& keyword) { TypeAndSearch(TextToUtf16(keyword)); }

KernelHandle FaultSiteSearch::CurrentWorker() { return CopyOfCurrentWorker(); }

bool FaultSiteSearch::SearchUntilEnd(const Text& keyword, int mostMilliseconds) {
  StartSearch(keyword);
  const KernelHandle worker = CurrentWorker();
  return worker.Get() && PumpUntilSignalled(worker.Get(), mostMilliseconds);
}

bool FaultSiteSearch::PumpUntilRequested(const Text& path, size_t count, int mostMilliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (RequestTimes(FaultSiteTimedLog(site), path).size() >= count) return true;
    if (GetTickCount() - start > DWORD(mostMilliseconds)) return false;
    PumpMessagesFor(100);
  }
}

size_t FaultSiteSearch::RequestsOfPage(const Text& keyword, int page) {
  return RequestTimes(FaultSiteTimedLog(site), FaultPagePath(keyword, page)).size();
}

void FaultSiteSearch::ExpectPagesListed(const Text& keyword, int lastPage) {
  std::vector<SiteRow> expected;
  for (int page = 1; page <= lastPage; ++page) {
    for (SiteRow& row : FaultSiteRows(site, keyword, page)) expected.push_back(std::move(row));
  }
  ListView& list = app.window.超级列表框1;
  ASSERT_EQ(list.RowCount(), int(expected.size()));
  for (int row = 0; row < int(expected.size()); ++row) {
    EXPECT_EQ(list.GetCellText(row, ResultColumn::Number), DecimalText(row + 1));
    EXPECT_EQ(list.GetCellText(row, ResultColumn::FileName), expected[size_t(row)].fileName) << row;
    EXPECT_EQ(list.GetCellText(row, ResultColumn::Size), expected[size_t(row)].sizeText) << row;
    EXPECT_EQ(list.GetCellText(row, ResultColumn::Address), expected[size_t(row)].downloadAddress) << row;
  }
  EXPECT_EQ(int(SendMessageW(list.handle, LVM_GETITEMCOUNT, 0, 0)), int(expected.size()));
  EXPECT_EQ(app.window.状态条.parts[3].text, "together " + DecimalText(int(expected.size())) + " results");
}

void FaultSiteSearch::ExpectIdle() {
  EXPECT_EQ(app.window.搜索_按钮.GetCaption(), "开始");
  EXPECT_EQ(ShownText(app.window.搜索_按钮.handle), "开始");
  EXPECT_EQ(app.window.停止_按钮.GetCaption(), "停止");
  EXPECT_EQ(app.window.记时间.interval, 0);
  EXPECT_FALSE(app.window.记时间.running);
}

void FaultSiteSearch::ExpectReason(const Text& reason, int repeatsLeftOut) {
  const Text title = reason.empty() ? Text(kMainWindowTitle) : Text(kMainWindowTitle) + " - " + reason;
  EXPECT_EQ(app.window.window.title, title);
  EXPECT_EQ(ShownText(app.window.window.handle), title);
  Text tip = reason;
  if (repeatsLeftOut > 0) tip += (reason.empty() ? "" : ", ") + Text("已略去") + DecimalText(repeatsLeftOut) + "条重复结果";
  EXPECT_EQ(app.window.状态条.parts[3].tipText, tip);
  EXPECT_EQ(ShownPartTip(app.window.状态条, 3), tip);
}

std::vector<double> Gaps(const std::vector<double>& times) {
  std::vector<double> gaps;
  for (size_t at = 1; at < times.size(); ++at) gaps.push_back(times[at] - times[at - 1]);
  return gaps;
}
