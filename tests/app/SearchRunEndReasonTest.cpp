// How a search run ends when a page cannot be fetched, in a live main window
// against the fault site with the fault on page 3: the rows of pages 1 and 2
// and whatever of page 3 arrived whole stay, numbered without a gap, the
// reason shows in the title and in part 3's tooltip until the next search,
// and a page that may come on another try is asked for again, after 1 s and
// then 4 s of running time.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/SearchState.h"
#include "tests/app/FaultSiteSearch.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

// Seconds a retry may come late: the failed answer, the next connection and
// its TLS handshake, on a busy machine.
constexpr double kRetryLateness = 1.0;
constexpr double kRetryEarliness = 0.05;

// The requests of a page asked for again twice came after the failed
// request's own time and then 1 s, and then 4 s.
void ExpectRetriedAfterOneAndFourSeconds(const std::vector<double>& times, double failingSeconds,
                                         double earliness = kRetryEarliness) {
  ASSERT_EQ(times.size(), 3u);
  const std::vector<double> gaps = Gaps(times);
  EXPECT_GE(gaps[0], failingSeconds + 1 - earliness);
  EXPECT_LE(gaps[0], failingSeconds + 1 + kRetryLateness);
  EXPECT_GE(gaps[1], failingSeconds + 4 - earliness);
  EXPECT_LE(gaps[1], failingSeconds + 4 + kRetryLateness);
}

struct PageThreeFailure {
  const char* fault;
  const char* status;     // what the window shows after "第3页: "
  // Requests of page 3: 1, or 3 when it was asked for again twice; 0 for
  // one request with WinHttp's own redirects after it, within a moment.
  size_t requests;
  int failingSeconds;     // how long one failed request of it takes
  int mostRunMilliseconds = 60000;
};

class FailedPageThree : public FaultSiteSearch, public testing::WithParamInterface<PageThreeFailure> {};

TEST_P(FailedPageThree, EndsTheRunWithItsReasonAndKeepsWhatArrivedWhole) {
  const PageThreeFailure failure = GetParam();
  const Text keyword = Text(failure.fault) + ".3";
  ASSERT_TRUE(SearchUntilEnd(keyword, failure.mostRunMilliseconds)) << "the run did not end";

  ExpectPagesListed(keyword, 3);
  ExpectIdle();
  ExpectReason(Text("第3页: ") + failure.status);

  const std::vector<TimedRequest> log = FaultSiteTimedLog(site);
  EXPECT_EQ(RequestTimes(log, FaultPagePath(keyword, 1)).size(), 1u);
  EXPECT_EQ(RequestTimes(log, FaultPagePath(keyword, 2)).size(), 1u);
  const std::vector<double> times = RequestTimes(log, FaultPagePath(keyword, 3));
  if (failure.requests == 0) {
    EXPECT_GE(times.size(), 2u);
    EXPECT_LT(times.size(), 50u);  // the site's bound
    for (double gap : Gaps(times)) EXPECT_LT(gap, 0.9) << "asked for again";
  } else {
    EXPECT_EQ(times.size(), failure.requests);
  }
  if (failure.requests == 3) {
    // WinHttp does not keep its timeout to the millisecond.
    const double earliness = failure.failingSeconds > 0 ? 1.0 : kRetryEarliness;
    ExpectRetriedAfterOneAndFourSeconds(times, failure.failingSeconds, earliness);
  }
  EXPECT_TRUE(RequestTimes(log, FaultPagePath(keyword, 4)).empty()) << "the run went on";
}

constexpr char kReadFailed[] = "713 读取数据失败!";
constexpr char kNoResponse[] = "712 服务器未响应!";

INSTANTIATE_TEST_SUITE_P(
    OnPage3, FailedPageThree,
    testing::Values(
        // Cut bodies: their whole entries are listed, so they are not asked for again.
        PageThreeFailure{"reset", kReadFailed, 1, 0}, PageThreeFailure{"cut", kReadFailed, 1, 0},
        PageThreeFailure{"stall-body", kReadFailed, 1, 30, 90000},
        // No entries: a timeout and a server error may mend, the rest cannot.
        PageThreeFailure{"stall", kNoResponse, 3, 30, 200000},
        PageThreeFailure{"status500-empty", "500 Internal Server Error", 3, 0},
        PageThreeFailure{"status404-empty", "404 Not Found", 1, 0},
        // Reached through a redirect from the trusted listener: the failure is the response's.
        PageThreeFailure{"untrusted", kNoResponse, 1, 0}, PageThreeFailure{"loop", kNoResponse, 0, 0}),
    [](const testing::TestParamInfo<PageThreeFailure>& info) { return ReplaceAll(info.param.fault, "-", "_"); });

TEST_F(FaultSiteSearch, APageThatFailsTwiceIsAskedForAfterOneSecondThenFourAndTheRunGoesOnToItsEnd) {
  ASSERT_TRUE(SearchUntilEnd("flaky.3"));
  ExpectPagesListed("flaky.3", 4);
  ExpectIdle();
  ExpectReason("");
  const std::vector<TimedRequest> log = FaultSiteTimedLog(site);
  const std::vector<double> times = RequestTimes(log, FaultPagePath("flaky.3", 3));
  ExpectRetriedAfterOneAndFourSeconds(times, 0);
  if (times.size() == 3) std::printf("page 3 asked for again after %.3f s and %.3f s\n", times[1] - times[0], times[2] - times[1]);
  for (int page : {1, 2, 4, 5}) EXPECT_EQ(RequestTimes(log, FaultPagePath("flaky.3", page)).size(), 1u) << page;
  EXPECT_TRUE(RequestTimes(log, FaultPagePath("flaky.3", 6)).empty());
}

TEST_F(FaultSiteSearch, APauseDuringARetryWaitHoldsItAndThePausedTimeDoesNotCount) {
  const Text pageThree = FaultPagePath("flaky.3", 3);
  StartSearch("flaky.3");
  const KernelHandle worker = CurrentWorker();
  // The second request failed too: the 4-second wait runs.
  ASSERT_TRUE(PumpUntilRequested(pageThree, 2, 20000));
  SendClick(app.window.停止_按钮.handle);
  ASSERT_EQ(app.window.停止_按钮.GetCaption(), "继续");
  const DWORD pausedAt = GetTickCount();
  // Longer than the whole wait: a wait that ran on would ask during the pause.
  PumpMessagesFor(5000);
  EXPECT_EQ(RequestsOfPage("flaky.3", 3), 2u) << "asked again while paused";
  SendClick(app.window.停止_按钮.handle);
  const double pausedSeconds = (GetTickCount() - pausedAt) / 1000.0;
  ASSERT_TRUE(PumpUntilSignalled(worker.Get(), 30000));

  const std::vector<double> times = RequestTimes(FaultSiteTimedLog(site), pageThree);
  ASSERT_EQ(times.size(), 3u);
  // Four seconds of running time around the pause, not four seconds in all.
  EXPECT_GE(times[2] - times[1], 4 + pausedSeconds - 0.1);
  EXPECT_LE(times[2] - times[1], 4 + pausedSeconds + kRetryLateness);
  ExpectPagesListed("flaky.3", 4);
  ExpectIdle();
  ExpectReason("");
}

TEST_F(FaultSiteSearch, AStopDuringARetryWaitEndsTheRunAtOnceWithoutAnotherRequest) {
  StartSearch("flaky.3");
  const KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntilRequested(FaultPagePath("flaky.3", 3), 2, 20000));
  const DWORD stoppedAt = GetTickCount();
  SendClick(app.window.搜索_按钮.handle);  // 关闭
  ASSERT_TRUE(PumpUntilSignalled(worker.Get(), 5000));
  EXPECT_LT(GetTickCount() - stoppedAt, 1000u) << "the worker waited on";
  PumpMessagesFor(5000);  // the wait would have been over by now
  EXPECT_EQ(RequestsOfPage("flaky.3", 3), 2u);
  EXPECT_EQ(RequestsOfPage("flaky.3", 4), 0u);
  ExpectPagesListed("flaky.3", 2);
  ExpectIdle();
  ExpectReason("");
}

TEST_F(FaultSiteSearch, APauseWhileAPageOfFiveThousandEntriesIsReadHoldsItsRowsAndTheRunEndsByItselfAfterResume) {
  // Paused once page 1 is listed, while the worker fetches and reads page 2:
  // it goes on handing that page's rows on (every 50 ms of the reading, and
  // once at its end) up to its next page's gate. Every one of those
  // operations is carried out after 继续, and its end too.
  StartSearch("many");
  const KernelHandle worker = CurrentWorker();
  ListView& list = app.window.超级列表框1;
  ASSERT_TRUE(PumpUntil([&] { return list.RowCount() >= 5; }, 30000)) << "page 1 was not listed";
  SendClick(app.window.停止_按钮.handle);
  const int rowsAtPause = list.RowCount();
  EXPECT_LT(rowsAtPause, 5005) << "the pause came after page 2 was read";
  PumpMessagesFor(3000);  // page 2 is read meanwhile
  EXPECT_EQ(list.RowCount(), rowsAtPause);  // nothing listed while paused
  SendClick(app.window.停止_按钮.handle);
  ASSERT_TRUE(PumpUntilSignalled(worker.Get(), 30000)) << "the run did not end by itself";
  ExpectPagesListed("many", 3);
  ExpectIdle();
  ExpectReason("");
}

TEST_F(FaultSiteSearch, ARunThatEndsAtAnEmptyPageShowsNoReason) {
  ASSERT_TRUE(SearchUntilEnd("plain"));
  ExpectPagesListed("plain", 3);
  ExpectIdle();
  ExpectReason("");
  EXPECT_EQ(RequestsOfPage("plain", 4), 1u);
}

TEST_F(FaultSiteSearch, AReasonStaysUntilTheNextSearchStartsWhichClearsIt) {
  ASSERT_TRUE(SearchUntilEnd("status404-empty.3"));
  ExpectReason("第3页: 404 Not Found");
  PumpMessagesFor(1200);
  ExpectReason("第3页: 404 Not Found");

  StartSearch("plain");
  ExpectReason("");  // at once, before a page of the new search came
  const KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntilSignalled(worker.Get(), 60000));
  ExpectPagesListed("plain", 3);
  ExpectReason("");
}

}  // namespace
