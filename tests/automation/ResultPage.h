#pragma once
// The search site's result markup, for the tests and the benchmarks: the
// result pattern as stored (quote token in place of double quotes, "\n" as
// the two characters the engine reads as a line feed) and entries it matches.
#include "text/Text.h"

extern const char kResultPattern[];

// One entry in the demo site's nine lines (demo/pages.py, entry_lines), each
// ended by "\n", with the files line unpadded. Its groups: 1 `name`, 2 and 9
// `size`, 14 `magnet`.
Text ResultEntryMarkup(TextView name, TextView size, TextView magnet);
// `entries` entries between a page head and foot, lines ending in "\n":
// entry n named "Ubuntu<n> 22.04 桌面版.iso", of "4.7 GB", at
// "magnet:?xt=urn:btih:<n>".
Text ResultPage(int entries);
