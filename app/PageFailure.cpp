#include "app/PageFailure.h"

namespace {

// The status's three-digit code, or 0.
int StatusCode(TextView statusText) {
  if (statusText.size() < 3) return 0;
  int code = 0;
  for (size_t at = 0; at < 3; ++at) {
    if (statusText[at] < '0' || statusText[at] > '9') return 0;
    code = code * 10 + (statusText[at] - '0');
  }
  return code;
}

// Errors that another try cannot mend: the server's certificate refused, a
// redirect that went nowhere or left TLS, or a page past the run's bound.
bool IsLastingError(unsigned long error) {
  switch (error) {
    case 223:    // ERROR_FILE_TOO_LARGE: the page is longer than a run takes
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

bool PageFailed(TextView statusText, bool hasEntries) {
  const int code = StatusCode(statusText);
  if (code >= 700 && code <= 799) return true;
  return code >= 400 && !hasEntries;
}

bool WorthAskingAgain(TextView statusText, unsigned long systemError) {
  const int code = StatusCode(statusText);
  if (code >= 500 && code <= 599) return true;
  // 711 sending, 712 receiving, 713 reading; the others are the request's own set-up.
  return code >= 711 && code <= 713 && !IsLastingError(systemError);
}

Text PageFailureReason(int pageNumber, TextView statusText) {
  return "第" + DecimalText(pageNumber) + "页: " + Text(statusText);
}
