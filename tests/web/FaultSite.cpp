#include "tests/web/FaultSite.h"

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
