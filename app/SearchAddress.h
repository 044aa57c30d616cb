#pragma once
// The address of one result page of the search site. Platform-free.
#include "text/Text.h"

// The keyword as a path segment: "#", "?", "%", "/", "\", the space and the
// control bytes become %XX (upper-case hex) so that they reach the site as
// part of the keyword; every other byte, GBK ones included, stays as it is.
[[nodiscard]] Text EncodeKeywordSegment(TextView keyword);

// "https://" host "/ma/" keyword "/time-" page ".html".
[[nodiscard]] Text SearchPageAddress(TextView host, TextView keyword, int pageNumber);
