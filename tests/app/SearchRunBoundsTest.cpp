// A hostile or slow site cannot hang or exhaust the program: the search run
// of the real program in a live main window against the fault site, with a
// 100 MB page, a page that trickles in, 关闭 in the middle of such a page, and
// starts and stops clicked while workers are inside slow requests.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/SearchState.h"
#include "system/Holders.h"
#include "system/Room.h"
#include "tests/app/FaultSiteSearch.h"
#include "tests/app/ProcessCounters.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

constexpr size_t kMostProcessBytes = 200u * 1024 * 1024;

class SearchRunBounds : public FaultSiteSearch {
 protected:
  // Starts a search and dispatches messages until its worker has ended,
  // keeping the process's highest working set and private bytes meanwhile.
  [[nodiscard]] bool SearchUntilEndMeasuring(const Text& keyword, int mostMilliseconds, ProcessMemory& peak) {
    StartSearch(keyword);
    const KernelHandle worker = CurrentWorker();
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(worker.Get(), 0) == WAIT_TIMEOUT) {
      if (GetTickCount() - start > DWORD(mostMilliseconds)) return false;
      PumpMessagesFor(50);
      const ProcessMemory now = CurrentMemory();
      peak.workingSet = std::max(peak.workingSet, now.workingSet);
      peak.privateBytes = std::max(peak.privateBytes, now.privateBytes);
    }
    return true;
  }
  // Dispatches messages until page 1 of `keyword` is listed; its page 2 is
  // then on its way.
  [[nodiscard]] bool PumpUntilFirstPageListed() {
    return PumpUntil([] { return app.window.超级列表框1.RowCount() == 5; }, 20000);
  }
};

TEST_F(SearchRunBounds, AHundredMegabytePageEndsTheRunWithTheRowsKeptAndLittleMemory) {
  ProcessMemory peak;
  ASSERT_TRUE(SearchUntilEndMeasuring("huge100", 120000, peak)) << "the run did not end";
  ExpectPagesListed("huge100", 2);  // page 2 gives no row
  ExpectIdle();
  ExpectReason("第2页: 713 读取数据失败!");
  EXPECT_EQ(RequestsOfPage("huge100", 2), 1u);  // a page past the cap is not asked for again
  EXPECT_LT(peak.workingSet, kMostProcessBytes);
  EXPECT_LT(peak.privateBytes, kMostProcessBytes);
  std::printf("100 MB page: peak working set %.1f MB, private %.1f MB\n", peak.workingSet / 1048576.0,
              peak.privateBytes / 1048576.0);
}

TEST_F(SearchRunBounds, AThirtyMegabytePageUnderTheCapIsListedWholeAndTheRunGoesOn) {
  // Its body, text, UTF-16 copy, lines and spans: about 160 MB at once in a
  // 32-bit process, each block contiguous.
  ProcessMemory peak;
  ASSERT_TRUE(SearchUntilEndMeasuring("huge30", 120000, peak)) << "the run did not end";
  ExpectPagesListed("huge30", 3);
  ExpectIdle();
  ExpectReason("");
  const AddressSpace space = CurrentAddressSpace();
  std::printf("30 MB page: peak working set %.1f MB, private %.1f MB; address space after %.1f MB, largest free "
              "range %.1f MB\n",
              peak.workingSet / 1048576.0, peak.privateBytes / 1048576.0, space.taken / 1048576.0,
              space.largestFree / 1048576.0);
}

TEST_F(SearchRunBounds, APageThatCannotBeGivenRoomEndsTheRunWithTheReasonAndTheRowsKept) {
  // Page 2 of "huge" is 10,489,569 bytes, 9,881,504 characters: with room
  // for 4 MiB its body is refused; with 18.5 MiB the body (16 MiB of
  // capacity as it grows by doubling) and its text fit, but not its UTF-16
  // copy (19,763,010 bytes).
  for (size_t limit : {size_t(4) << 20, (size_t(37) << 20) / 2}) {
    LimitRoomForTests(limit);
    const bool ended = SearchUntilEnd("huge");
    LimitRoomForTests(0);
    ASSERT_TRUE(ended) << "the run did not end";
    ExpectPagesListed("huge", 1);
    ExpectIdle();
    ExpectReason("第2页: 内存不足, 无法容纳此页!");
    EXPECT_EQ(RequestsOfPage("huge", 3), 0u) << limit;
  }
  EXPECT_EQ(RequestsOfPage("huge", 2), 2u);  // once a run: no room now is no room a second later
}

TEST_F(SearchRunBounds, ATricklingPageEndsTheRunAtTheTimeoutWithItsWholeEntriesListed) {
  ProcessMemory peak;
  const DWORD start = GetTickCount();
  ASSERT_TRUE(SearchUntilEndMeasuring("trickle", 90000, peak)) << "the run did not end";
  const DWORD took = GetTickCount() - start;
  // The run's 30 s, once: a page with entries is not asked for again.
  EXPECT_GE(took, 29000u);
  EXPECT_LT(took, 60000u);
  ExpectPagesListed("trickle", 2);  // page 1, and the 3 whole entries of page 2
  ExpectIdle();
  ExpectReason("第2页: 713 读取数据失败!");
  EXPECT_EQ(RequestsOfPage("trickle", 2), 1u);
  EXPECT_LT(peak.workingSet, kMostProcessBytes);
  EXPECT_LT(peak.privateBytes, kMostProcessBytes);
  std::printf("trickle: ended after %.1f s; peak working set %.1f MB, private %.1f MB\n", took / 1000.0,
              peak.workingSet / 1048576.0, peak.privateBytes / 1048576.0);
}

TEST_F(SearchRunBounds, CloseDuringASlowBodyLeavesNoWorkerRunningTwoSecondsLater) {
  StartSearch("trickle");
  const KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntilFirstPageListed());
  PumpMessagesFor(1500);  // page 2 trickles in
  ASSERT_EQ(WaitForSingleObject(worker.Get(), 0), DWORD(WAIT_TIMEOUT)) << "the worker should be inside page 2";
  const DWORD closedAt = GetTickCount();
  SendClick(app.window.搜索_按钮.handle);  // 关闭
  ExpectIdle();
  EXPECT_TRUE(PumpUntilSignalled(worker.Get(), 2000)) << "the ended worker still runs 2 s later";
  std::printf("the worker left %lu ms after the close click\n", static_cast<unsigned long>(GetTickCount() - closedAt));
  EXPECT_EQ(app.window.超级列表框1.RowCount(), 5);  // the listed rows stay
}

TEST_F(SearchRunBounds, StartsAndStopsWhileAnEndedWorkerIsStuckLeaveOnlyThatOneBehind) {
  // The first worker is ended inside a body that stops coming: WinHttp holds
  // it until the run's 30 s timeout (closing its handles does not wake a
  // blocked read under Wine). Every later worker waits for it, so each of
  // them, ended in turn, leaves at once instead of piling up behind it.
  std::vector<KernelHandle> workers;
  StartSearch("stall-body");
  workers.push_back(CurrentWorker());
  ASSERT_TRUE(PumpUntilFirstPageListed());
  PumpMessagesFor(500);
  SendClick(app.window.搜索_按钮.handle);  // 关闭
  for (int round = 0; round < 8; ++round) {
    StartSearch("stall-body");
    workers.push_back(CurrentWorker());
    PumpMessagesFor(200);
    SendClick(app.window.搜索_按钮.handle);  // 关闭
    PumpMessagesFor(300);
    size_t alive = 0;
    for (const KernelHandle& each : workers) alive += WaitForSingleObject(each.Get(), 0) == WAIT_TIMEOUT;
    EXPECT_LE(alive, 1u) << "round " << round;
  }
  ExpectIdle();
  for (const KernelHandle& each : workers) EXPECT_TRUE(PumpUntilSignalled(each.Get(), 45000));
}

}  // namespace
