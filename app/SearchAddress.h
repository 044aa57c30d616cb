#pragma once
// The address of one result page of the search site. Platform-free.
#include "text/Text.h"

// The keyword as a path segment: of the single-byte characters "#", "?",
// "%", "/", "\", the space and the control bytes become %XX (upper-case hex)
// so that they reach the site as part of the keyword; every other one, and
// every double-byte character whole, stays as it is.
[[nodiscard]] Text EncodeKeywordSegment(TextView keyword);

// "https://" host "/ma/" keyword "/time-" page ".html".
[[nodiscard]] Text SearchPageAddress(TextView host, TextView keyword, int pageNumber);
