#pragma once
// The demo site (demo/server.py) over HTTPS for tests that search it, with the
// test certificates whose authority the prefix trusts.
#include <windows.h>

#include "text/Text.h"
#include "ui/system/Holders.h"

// The demo site on a free port, stopped when the holder goes.
class DemoSite {
 public:
  DemoSite() = default;
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;
  ~DemoSite();

  [[nodiscard]] bool Start();
  Text Host() const { return "localhost:" + DecimalText(port); }
  Text Url(const Text& path) const { return "https://" + Host() + path; }

 private:
  int port = 0;
  KernelHandle process;
};
