#pragma once
// How long a response asks the client to wait before asking again (the
// Retry-After a site sends with 429 and 503), read from the raw header block
// without WinHttp. Platform-free: the clock is the caller's.
#include "text/Text.h"

// The longest wait read, 2^31 - 1 seconds (some 68 years): a larger number,
// or a date further off, gives this.
constexpr long long kLongestRetryAfter = 2147483647;

// Seconds the first Retry-After header of `rawHeaders` (the CR LF separated
// block WinHttp gives, status line first) asks for; -1 without one, or when
// its value is neither a number of seconds nor an HTTP date in one of its
// three forms. A date counts from the response's own Date header, or from
// `nowUnixSeconds` (the clock, seconds since 1970 UTC) when that is missing
// or unreadable; one already past gives 0. The clock also places a two-digit
// year: from 49 years before its year to 50 after, as HTTP asks.
[[nodiscard]] long long RetryAfterSeconds(const Text& rawHeaders, long long nowUnixSeconds);
