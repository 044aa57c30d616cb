#include "tests/app/SearchRunTestSupport.h"

#include "app/ProgramStart.h"
#include "app/SearchAddress.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/app/SearchDriving.h"
#include "tests/ui/WindowTestSupport.h"
#include "text/CodePage936.h"
#include "ui/MainWindow.h"
#include "web/WebRequest.h"

namespace {

constexpr int kRunLimitMilliseconds = 60000;

}  // namespace

void SearchRunTest::SetUp() {
  ASSERT_TRUE(site.Start(kSlowDelaySeconds));
  app.search.siteHost = site.Host();
  app.search.workerBody = SearchRun;
  ASSERT_TRUE(CreateAppWindow(app));
}

void SearchRunTest::TearDown() {
  ResetAppState();
}

void SearchRunTest::StartSearch(const wchar_t* keyword) { TypeAndSearch(keyword); }

KernelHandle SearchRunTest::CurrentWorker() { return CopyOfCurrentWorker(); }

bool SearchRunTest::PumpUntilEnded(const KernelHandle& worker) {
  return worker.Get() && PumpUntilSignalled(worker.Get(), kRunLimitMilliseconds);
}

void SearchRunTest::SearchUntilEnd(const wchar_t* keyword) {
  StartSearch(keyword);
  EXPECT_TRUE(PumpUntilEnded(CurrentWorker()));
}

bool SearchRunTest::PumpUntilRequested(const Text& path) {
  auto requested = [&] {
    for (const Text& each : site.RequestedPaths()) {
      if (each == path) return true;
    }
    return false;
  };
  return PumpUntil(requested, 30000);
}

void SearchRunTest::ExpectListed(const TextList& rows) {
  ListView& list = app.window.超级列表框1;
  EXPECT_EQ(list.RowCount(), int(rows.size()));
  for (int row = 0; row < int(rows.size()); ++row) {
    const TextList cells = SplitText(rows[size_t(row)], "\t");
    ASSERT_EQ(cells.size(), 3u) << rows[size_t(row)];
    EXPECT_EQ(list.GetCellText(row, ResultColumn::Number), DecimalText(row + 1));
    EXPECT_EQ(list.GetCellText(row, ResultColumn::FileName), cells[0]) << row;
    EXPECT_EQ(list.GetCellText(row, ResultColumn::Size), cells[1]) << row;
    EXPECT_EQ(list.GetCellText(row, ResultColumn::Address), cells[2]) << row;
  }
  EXPECT_EQ(app.window.状态条.parts[3].text, "together " + DecimalText(int(rows.size())) + " results");
}

TextList RowsWhoseName(const TextList& rows, bool (*keep)(const Text& name)) {
  TextList kept;
  for (const Text& row : rows) {
    if (keep(SplitText(row, "\t").front())) kept.push_back(row);
  }
  return kept;
}

TextList RowRange(const TextList& rows, size_t from, size_t to) {
  return TextList(rows.begin() + long(from), rows.begin() + long(to));
}
static int debugUnbuffered = (setvbuf(stdout, nullptr, _IONBF, 0), 0);
