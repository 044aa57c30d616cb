#pragma once
// How a request ended, as numbers for the code that decides on it (ask again,
// end a run), and the one place the status text a user reads is made from
// them. Platform-free.
#include "text/Text.h"

// The system error a body past the request's bound reports (ERROR_FILE_TOO_LARGE).
constexpr unsigned long kBodyTooLarge = 223;
// The one a body, or its text, that could not be given room reports
// (ERROR_NOT_ENOUGH_MEMORY).
constexpr unsigned long kNoRoomForBody = 8;

// The step of a request that failed; its number leads the message.
enum class RequestFailure : int {
  None = 0,
  PlatformUnsupported = 700,
  UrlNotParsed = 701,
  SessionNotOpened = 702,
  ConnectionNotOpened = 703,
  RequestNotOpened = 704,
  TimeoutsNotSet = 705,
  ProtocolsNotSet = 706,
  CredentialsNotSet = 707,
  CookieFeatureNotSet = 708,
  RedirectNotSet = 709,
  HeadersNotAdded = 710,
  RequestNotSent = 711,
  NoResponse = 712,
  ReadFailed = 713,  // also a body cut short or past its bound, after the headers
};

struct RequestOutcome {
  RequestFailure failure = RequestFailure::None;
  // The response's status code, 0 before a response arrived or when its
  // status line does not start with three digits.
  int httpStatus = 0;
  // The system's error code of the failing call (GetLastError), or the one
  // the request gives its own refusals (kBodyTooLarge); 0 without one.
  unsigned long systemError = 0;
  // The wait in seconds the response's Retry-After asked for
  // (RetryAfterSeconds); -1 without one, or before headers were read.
  long long retryAfterSeconds = -1;
};

// The failure's numbered message ("712 服务器未响应!"), or without a failure
// the server's status line after the protocol as it came ("200 OK").
[[nodiscard]] Text StatusText(const RequestOutcome& outcome, TextView statusLine);
