#pragma once
// The search site's result markup, for the tests and the benchmark: the
// result pattern as stored (quote token in place of double quotes, "\n" as
// the two characters the engine reads as a line feed) and entries it matches.
#include "text/Text.h"

extern const char kResultPattern[];

// One entry of nine lines. Its groups: 2 "Ubuntu<number>", 9 "4.7 GB",
// 14 "magnet:?xt=urn:btih:<number>".
Text ResultEntry(int number);
// `entries` entries between a page head and foot, lines ending in "\n".
Text ResultPage(int entries);
