#include "tests/web/FaultSite.h"

#include <cstdlib>

namespace {

// The rows list is bytes, not code page 936 text: a stray lead byte at the end
// of a name must not take the tab or the line feed after it.
std::vector<Text> SplitBytes(const Text& bytes, char separator) {
  std::vector<Text> pieces;
  size_t start = 0;
  for (size_t end; (end = bytes.find(separator, start)) != Text::npos; start = end + 1)
    pieces.push_back(bytes.substr(start, end - start));
  pieces.push_back(bytes.substr(start));
  return pieces;
}

}  // namespace

std::vector<SiteRow> FaultSiteRows(const TestServer& site, const Text& fault, int page) {
  std::vector<SiteRow> rows;
  for (const Text& line : SplitBytes(Fetch(site.Url("/expected/" + fault + "/" + DecimalText(page))).text, '\n')) {
    const std::vector<Text> cells = SplitBytes(line, '\t');
    if (cells.size() == 3) rows.push_back({cells[0], cells[1], cells[2]});
  }
  return rows;
}

Text FaultPagePath(const Text& fault, int page) { return "/ma/" + fault + "/time-" + DecimalText(page) + ".html"; }

Text FaultSiteLog(const TestServer& site) { return Fetch(site.Url("/log")).text; }

std::vector<TimedRequest> FaultSiteTimedLog(const TestServer& site) {
  std::vector<TimedRequest> log;
  for (const Text& line : SplitBytes(Fetch(site.Url("/timed-log")).text, '\n')) {
    const size_t space = line.find(' ');
    if (space == Text::npos) continue;
    log.push_back({std::strtod(line.substr(0, space).c_str(), nullptr), line.substr(space + 1)});
  }
  return log;
}

std::vector<double> RequestTimes(const std::vector<TimedRequest>& log, const Text& path) {
  std::vector<double> times;
  for (const TimedRequest& request : log) {
    if (request.path == path) times.push_back(request.seconds);
  }
  return times;
}
