// Not a test: what the result pattern costs with the real engine, over the
// whole page as it was run before and over the entries found first as it is
// run now, side by side in one run.
//   1. One-line pages of empty highlighted spans, 1 KB to 256 KB: the time of
//      each way and how it grows when the page doubles. The whole page is
//      timed only while the next size should take under LIMIT seconds (it
//      grows about 16-fold a doubling, as n^4).
//   2. Ordinary pages (the demo site's bench pages): the one-pass finder
//      alone, the engine over the whole page, the engine over the entries,
//      each with groups 1, 2 and 14 of every match read, as ratios.
// result_pattern_benchmark [PAGE_FILE] [LIMIT]
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/ResultPattern.h"
#include "app/ResultSpans.h"
#include "text/CodePage936.h"

namespace {

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

bool CountEntry(void* context, const Text*) {
  ++*static_cast<int*>(context);
  return true;
}

// Seconds of one match and the reading of every match's groups; `entries`
// receives the number of matches.
double TimeWholePage(RegexObject& regex, TextView page, int& entries) {
  entries = 0;
  const double start = Seconds();
  constexpr int kGroups[] = {1, 2, 14};
  if (regex.Match(ResultPattern, page, false, false, true, true))
    (void)regex.ReadGroupsOfEveryMatch(kGroups, 3, CountEntry, &entries);
  return Seconds() - start;
}

double TimeFoundEntries(PageEntries& matcher, TextView page, int& entries) {
  entries = 0;
  const double start = Seconds();
  if (MatchResultEntries(matcher, page) > 0) ReadResultEntries(matcher, CountEntry, &entries);
  return Seconds() - start;
}

// The finder alone, over the page already in UTF-16 (which the engine's
// subject needed before as well).
double TimeFinder(TextView page, DotStops dotStops, size_t& spanCharacters) {
  const std::wstring wide = TextToUtf16(page);
  const double start = Seconds();
  spanCharacters = ResultEntrySpans(wide, dotStops).size();
  return Seconds() - start;
}

void HostilePages(PageEntries& matcher, DotStops dotStops, double limit) {
  std::printf("one-line pages of <li><span class=\"lightColor\"></span>\n");
  std::printf("%8s %14s %14s %12s %10s %12s\n", "KB", "whole page s", "entries ms", "finder ms", "whole/new",
              "new growth");
  double lastWhole = 0, lastFound = 0;
  for (int kilobytes = 1; kilobytes <= 256; kilobytes *= 2) {
    Text page;
    while (page.size() < size_t(kilobytes) * 1024) page += "<li><span class=\"lightColor\"></span>";
    int entries = 0;
    double found = 1e9;
    for (int round = 0; round < 5; ++round) found = std::min(found, TimeFoundEntries(matcher, page, entries));
    size_t spanCharacters = 0;
    const double finder = TimeFinder(page, dotStops, spanCharacters);
    const bool timeWhole = 16 * lastWhole < limit;
    const double whole = timeWhole ? TimeWholePage(matcher.regex, page, entries) : 0;
    std::printf("%8d ", kilobytes);
    if (timeWhole) {
      std::printf("%14.3f ", whole);
    } else {
      std::printf("%14s ", "(not run)");
    }
    std::printf("%14.3f %12.3f ", 1000 * found, 1000 * finder);
    if (timeWhole) {
      std::printf("%10.0f ", whole / found);
    } else {
      std::printf("%10s ", "");
    }
    if (lastFound > 0) std::printf("%12.2f", found / lastFound);
    std::printf("\n");
    lastWhole = timeWhole ? whole : lastWhole;
    lastFound = found;
  }
}

// Mean and least time of a way over the rounds.
struct Times {
  double total = 0;
  double least = 1e9;
  void Add(double seconds) {
    total += seconds;
    least = std::min(least, seconds);
  }
};

void OrdinaryPage(PageEntries& matcher, DotStops dotStops, TextView page) {
  constexpr int kRounds = 100;
  Times whole, found, finder, builtIn;
  int wholeEntries = 0, foundEntries = 0, builtInEntries = 0;
  PageEntries withoutEngine;
  withoutEngine.matcher = ResultMatcher::BuiltIn;
  size_t spanCharacters = 0;
  for (int round = 0; round < kRounds; ++round) {
    whole.Add(TimeWholePage(matcher.regex, page, wholeEntries));
    found.Add(TimeFoundEntries(matcher, page, foundEntries));
    builtIn.Add(TimeFoundEntries(withoutEngine, page, builtInEntries));
    finder.Add(TimeFinder(page, dotStops, spanCharacters));
  }
  std::printf("ordinary page: %u bytes, %d entries (%d over the entries, %d without the engine), %d rounds; mean and least\n",
              unsigned(page.size()), wholeEntries, foundEntries, builtInEntries, kRounds);
  std::printf("engine over the whole page + groups:   %8.3f %8.3f ms\n", 1000 * whole.total / kRounds,
              1000 * whole.least);
  std::printf("finder + engine over entries + groups: %8.3f %8.3f ms (ratio to the whole page %.2f, least %.2f)\n",
              1000 * found.total / kRounds, 1000 * found.least, found.total / whole.total, found.least / whole.least);
  std::printf("finder alone:                          %8.3f %8.3f ms (ratio to the whole page %.3f, least %.3f)\n",
              1000 * finder.total / kRounds, 1000 * finder.least, finder.total / whole.total,
              finder.least / whole.least);
  std::printf("finder + groups, without the engine:   %8.3f %8.3f ms (ratio to the whole page %.3f, least %.3f)\n",
              1000 * builtIn.total / kRounds, 1000 * builtIn.least, builtIn.total / whole.total,
              builtIn.least / whole.least);
}

}  // namespace

int main(int argumentCount, char** arguments) {
  const char* pageFile = argumentCount > 1 ? arguments[1] : SEED_BENCH_PAGE_FILE;
  const double limit = argumentCount > 2 ? std::atof(arguments[2]) : 30;
  PageEntries matcher;
  const DotStops dotStops = matcher.regex.DotMatchesCarriageReturn() ? DotStops::AtLineFeed : DotStops::AtEveryLineEnd;
  std::ifstream file(pageFile, std::ios::binary);
  const Text page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (page.empty()) {
    std::printf("no page in %s (tests/app/write_site_pages.py writes it)\n", pageFile);
    return 1;
  }
  OrdinaryPage(matcher, dotStops, page);
  HostilePages(matcher, dotStops, limit);
  return 0;
}
