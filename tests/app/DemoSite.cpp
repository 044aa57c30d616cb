#include "tests/app/DemoSite.h"

#include "app/SearchAddress.h"
#include "web/WebRequest.h"

namespace {

// The test's own requests to the site go straight to it, whatever proxy
// settings a test has given the prefix.
Text AskSite(const Text& url, int timeoutSeconds = 0) {
  WebRequestOptions options;
  options.directConnection = true;
  options.timeoutSeconds = timeoutSeconds;
  return WebRequest(url, options);
}

}  // namespace

DemoSite::~DemoSite() {
  if (port == 0) return;
  (void)AskSite(Url("/__stop"), 5);
  process.AwaitEnd();
}

bool DemoSite::Start(int slowDelaySeconds) {
  const Text portFile = Text(SEED_TEST_WORK_DIR) + "/demo-" + DecimalText(GetCurrentProcessId()) + ".port";
  const Text certificates = SEED_CERTIFICATE_DIR;
  port = process.Start("Z:\\usr\\bin\\python3 " + Text(SEED_DEMO_SERVER_SCRIPT) + " --cert " + certificates +
                           "/server.pem --key " + certificates + "/server.key --port 0 --idle-timeout 30 --slow-delay " +
                           DecimalText(slowDelaySeconds) + " --port-file " + portFile,
                       portFile);
  return port != 0;
}

Text DemoSite::Host() const { return "localhost:" + DecimalText(port); }
Text DemoSite::Url(const Text& path) const { return "https://" + Host() + path; }
TextList DemoSite::RequestedPaths() const { return SplitText(AskSite(Url("/__log")), "\n"); }
TextList DemoSite::Rows(const Text& keyword) const {
  return SplitText(AskSite(Url("/__expected/" + EncodeKeywordSegment(keyword))), "\n");
}
