#pragma once
// How a result page's fetch ended, as the search run judges it from the
// record WebRequest filled. Platform-free.
#include "text/Text.h"
#include "web/RequestOutcome.h"

// The page could not be fetched: a transport or read failure, or an HTTP
// error status (400 and above) on a page without entries. A page that came
// whole, even with an error status, is judged by its entries.
[[nodiscard]] bool PageFailed(const RequestOutcome& outcome, bool hasEntries);

// A failed page without entries that may come on another try: a failure of
// sending, receiving or reading (timeouts and resets among them), an HTTP
// 5xx or a 429 (the site limits how often it is asked). Never a refused certificate, a redirect loop or one to plain http, a
// page past the run's bound or past the memory the program can give it, a
// bad address or another 4xx.
[[nodiscard]] bool WorthAskingAgain(const RequestOutcome& outcome);

// "第N页: " and the status text, the reason a run ends early.
[[nodiscard]] Text PageFailureReason(int pageNumber, TextView statusText);
