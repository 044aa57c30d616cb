#pragma once
// The demo site (demo/server.py) and a live main window running the real
// search run against it, for the end-to-end tests of the search.
#include <windows.h>

#include <gtest/gtest.h>

#include "text/Text.h"
#include "tests/app/DemoSite.h"
#include "system/Holders.h"

class SearchRunTest : public ::testing::Test {
 protected:
  // Long enough for a test to act while the worker waits for a slow page.
  static constexpr int kSlowDelaySeconds = 2;

  void SetUp() override;
  void TearDown() override;

  // Types `keyword` into 编辑框1 and clicks 搜索_按钮.
  void StartSearch(const wchar_t* keyword);
  // A handle of the current worker of its own, which outlives the next click.
  KernelHandle CurrentWorker();
  // Dispatches messages until `worker` has ended; false after a minute.
  [[nodiscard]] bool PumpUntilEnded(const KernelHandle& worker);
  // Starts a search for `keyword` and waits until its worker has ended.
  void SearchUntilEnd(const wchar_t* keyword);
  // Dispatches messages until the site has been asked for `path`; false after 30 s.
  [[nodiscard]] bool PumpUntilRequested(const Text& path);

  // The list holds exactly `rows` (site rows), numbered from 1, and part 3 of
  // 状态条 counts them.
  void ExpectListed(const TextList& rows);

  DemoSite site;
};

// The rows of `rows` whose file name `keep` accepts.
TextList RowsWhoseName(const TextList& rows, bool (*keep)(const Text& name));
// Rows `from` (0-based) up to, not including, `to`.
TextList RowRange(const TextList& rows, size_t from, size_t to);
