#pragma once
// What the fault site (tests/web/fault_server.py, started with
// TestServer::StartFaultSite) says about its own pages.
#include <vector>

#include "tests/web/TestServer.h"
#include "text/Text.h"

struct SiteRow {
  Text fileName, sizeText, downloadAddress;
};

// The rows of page `page` of `fault` whose markup reaches a client whole and
// before any zero byte, in page order.
std::vector<SiteRow> FaultSiteRows(const TestServer& site, const Text& fault, int page);

// The path of page `page` of `fault`: /ma/FAULT/time-PAGE.html.
Text FaultPagePath(const Text& fault, int page);

// Every /ma/ path the site was asked for so far, one a line.
Text FaultSiteLog(const TestServer& site);

// One request of a result page, with the seconds from the site's start to its arrival.
struct TimedRequest {
  double seconds = 0;
  Text path;
};
// Every /ma/ request so far, in order of arrival (/timed-log).
std::vector<TimedRequest> FaultSiteTimedLog(const TestServer& site);
// The arrival times of the requests of `path` among `log`.
std::vector<double> RequestTimes(const std::vector<TimedRequest>& log, const Text& path);
