#include "tests/web/TestServer.h"

Reply Fetch(const Text& url, WebRequestOptions options) {
  Reply reply;
  RequestOutcome outcome;
  options.statusText = &reply.status, options.responseHeaders = &reply.headers;
  options.outcome = &outcome;
  options.redirectLocation = &reply.location, options.receivedCookies = &reply.received;
  options.responseBody = &reply.body;
  if (options.timeoutSeconds == 0) options.timeoutSeconds = 10;
  reply.text = WebRequest(url, options);
  reply.systemError = outcome.systemError;
  reply.retryAfterSeconds = outcome.retryAfterSeconds;
  return reply;
}

bool TestServer::Start(bool useTls) { return StartScript(useTls, SEED_TEST_SERVER_SCRIPT, ""); }

bool TestServer::StartFaultSite(bool useTls) {
  const Text untrusted = SEED_UNTRUSTED_CERTIFICATE_DIR, trusted = SEED_CERTIFICATE_DIR;
  // A search run may spend minutes on its rows between two requests.
  return StartScript(useTls, SEED_FAULT_SERVER_SCRIPT,
                     " --idle 300 --untrusted-tls " + untrusted + "/server.pem " + untrusted + "/server.key" +
                         " --old-tls " + trusted + "/server.pem " + trusted + "/server.key" +
                         " --expired-tls " + trusted + "/expired.pem " + trusted + "/expired.key");
}

bool TestServer::StartScript(bool useTls, const Text& script, const Text& moreArguments) {
  secure = useTls;
  static int serverCount = 0;
  Text portFile = Text(SEED_TEST_WORK_DIR) + "/server-" + DecimalText(GetCurrentProcessId()) + "-" +
                  DecimalText(++serverCount) + ".port";
  Text command = "Z:\\usr\\bin\\python3 " + script + " " + portFile + " --idle 30" + moreArguments;
  if (secure) {
    Text certificates = SEED_CERTIFICATE_DIR;
    command += " --tls " + certificates + "/server.pem " + certificates + "/server.key";
  }
  port = process.Start(command, portFile);
  return port != 0;
}

Text TestServer::Host() const { return (secure ? "localhost:" : "127.0.0.1:") + DecimalText(port); }

Text TestServer::Url(const Text& path) const { return (secure ? "https://" : "http://") + Host() + path; }

TestServer::~TestServer() {
  if (port == 0) return;
  WebRequestOptions options;
  options.timeoutSeconds = 5;
  (void)WebRequest(Url("/shutdown"), options);
  process.AwaitEnd();
}
