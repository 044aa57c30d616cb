#include "app/PageFailure.h"

namespace {

// The number the judging reads: the failing step's (700 to 713), else the
// server's status; a server that answers with a status of 700 or above is
// thus judged as a failed request of that number.
int CodeOf(const RequestOutcome& outcome) {
  return outcome.failure != RequestFailure::None ? int(outcome.failure) : outcome.httpStatus;
}

// Errors that another try cannot mend: the server's certificate refused, a
// redirect that went nowhere or left TLS, or a page past the run's bound.
bool IsLastingError(unsigned long error) {
  switch (error) {
    case kBodyTooLarge:  // the page is longer than a run takes
    case kNoRoomForBody:  // the page is longer than the program can hold now
    case 12037:  // ERROR_WINHTTP_SECURE_CERT_DATE_INVALID
    case 12038:  // ERROR_WINHTTP_SECURE_CERT_CN_INVALID
    case 12044:  // ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED
    case 12045:  // ERROR_WINHTTP_SECURE_INVALID_CA
    case 12057:  // ERROR_WINHTTP_SECURE_CERT_REV_FAILED
    case 12156:  // ERROR_WINHTTP_REDIRECT_FAILED
    case 12157:  // ERROR_WINHTTP_SECURE_CHANNEL_ERROR: how Wine reports a refused authority
    case 12169:  // ERROR_WINHTTP_SECURE_INVALID_CERT
    case 12170:  // ERROR_WINHTTP_SECURE_CERT_REVOKED
    case 12175:  // ERROR_WINHTTP_SECURE_FAILURE
    case 12179:  // ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE
      return true;
    default:
      return false;
  }
}

}  // namespace

bool PageFailed(const RequestOutcome& outcome, bool hasEntries) {
  const int code = CodeOf(outcome);
  if (code >= 700 && code <= 799) return true;
  return code >= 400 && !hasEntries;
}

bool WorthAskingAgain(const RequestOutcome& outcome) {
  const int code = CodeOf(outcome);
  if ((code >= 500 && code <= 599) || code == 429) return true;
  // Sending, receiving and reading; the other steps are the request's own set-up.
  return code >= int(RequestFailure::RequestNotSent) && code <= int(RequestFailure::ReadFailed) &&
         !IsLastingError(outcome.systemError);
}

Text PageFailureReason(int pageNumber, TextView statusText) {
  return "第" + DecimalText(pageNumber) + "页: " + Text(statusText);
}
