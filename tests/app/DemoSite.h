#pragma once
// The demo site (demo/server.py) over HTTPS for tests that search it, with the
// test certificates whose authority the prefix trusts.
#include <windows.h>

#include "tests/web/ServerProcess.h"
#include "text/Text.h"

// The demo site on a free port, stopped when the holder goes. The test's own
// requests to it follow no proxy settings of the prefix.
class DemoSite {
 public:
  DemoSite() = default;
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;
  ~DemoSite();

  // Slow pages wait `slowDelaySeconds` before they are answered.
  [[nodiscard]] bool Start(int slowDelaySeconds = 2);
  Text Host() const;
  Text Url(const Text& path) const;
  // Every result path requested so far, in order of arrival.
  TextList RequestedPaths() const;
  // Every row the site lists for `keyword` over all its pages: file name,
  // size, address, tab-separated.
  TextList Rows(const Text& keyword) const;

 private:
  int port = 0;
  ServerProcess process;
};
