#pragma once
// A live main window running the real search run against the fault site
// (tests/web/fault_server.py over HTTPS), for the tests of how a run ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "system/Holders.h"
#include "tests/web/FaultSite.h"
#include "tests/web/TestServer.h"
#include "text/Text.h"

class FaultSiteSearch : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Types `keyword` (code page 936) into 编辑框1 and clicks 搜索_按钮.
  void StartSearch(const Text& keyword);
  // A handle of the current worker of its own, which outlives the next click.
  KernelHandle CurrentWorker();
  // Starts a search and dispatches messages until its worker has ended;
  // false when it had not ended within `mostMilliseconds`.
  [[nodiscard]] bool SearchUntilEnd(const Text& keyword, int mostMilliseconds = 60000);
  // Dispatches messages until the site has been asked for `path` `count`
  // times; false after `mostMilliseconds`. It asks the site every 100 ms.
  [[nodiscard]] bool PumpUntilRequested(const Text& path, size_t count, int mostMilliseconds);
  // How often the site has been asked for page `page` of `keyword` so far.
  size_t RequestsOfPage(const Text& keyword, int page);

  // The list holds exactly the rows the site sent whole on pages 1 to
  // `lastPage` of `keyword`, cell by cell, numbered 1, 2, 3... without a
  // gap, and part 3 of 状态条 counts them.
  void ExpectPagesListed(const Text& keyword, int lastPage);
  // The controls are Idle: 搜索_按钮 "开始", 停止_按钮 "停止", 记时间 off.
  void ExpectIdle();
  // `reason` (empty: none) in the window's title after kMainWindowTitle and
  // as the tooltip of part 3 of 状态条, followed there by the repeated
  // torrents left out when there were any; both as kept and as the window
  // shows them.
  void ExpectReason(const Text& reason, int repeatsLeftOut = 0);

  TestServer site;
};

// The gaps between consecutive times, in seconds.
std::vector<double> Gaps(const std::vector<double>& times);
