// Which fetched pages end a search run, and which of them are asked for again.
#include "app/PageFailure.h"

#include <gtest/gtest.h>

namespace {

constexpr RequestFailure kUrlNotParsed = RequestFailure::UrlNotParsed;
constexpr RequestFailure kNotSent = RequestFailure::RequestNotSent;
constexpr RequestFailure kNoResponse = RequestFailure::NoResponse;
constexpr RequestFailure kReadFailed = RequestFailure::ReadFailed;

// WinHttp's error codes as GetLastError gives them.
constexpr unsigned long kTimeout = 12002;           // ERROR_WINHTTP_TIMEOUT
constexpr unsigned long kConnectionError = 12030;   // ERROR_WINHTTP_CONNECTION_ERROR (a reset)
constexpr unsigned long kCannotConnect = 12029;     // ERROR_WINHTTP_CANNOT_CONNECT
constexpr unsigned long kInvalidCa = 12045;         // ERROR_WINHTTP_SECURE_INVALID_CA
constexpr unsigned long kRedirectFailed = 12156;    // ERROR_WINHTTP_REDIRECT_FAILED
constexpr unsigned long kSecureChannel = 12157;     // ERROR_WINHTTP_SECURE_CHANNEL_ERROR
constexpr unsigned long kSecureFailure = 12175;     // ERROR_WINHTTP_SECURE_FAILURE
constexpr unsigned long kBodyTooLong = 223;         // ERROR_FILE_TOO_LARGE: WebRequest's body past its cap

RequestOutcome Failed(RequestFailure failure, unsigned long systemError = 0) {
  RequestOutcome outcome;
  outcome.failure = failure;
  outcome.systemError = systemError;
  return outcome;
}

RequestOutcome Answered(int httpStatus) {
  RequestOutcome outcome;
  outcome.httpStatus = httpStatus;
  return outcome;
}

TEST(PageFailure, ATransportOrReadFailureFailsThePageWhateverArrived) {
  for (RequestFailure failure : {kUrlNotParsed, kNotSent, kNoResponse, kReadFailed}) {
    EXPECT_TRUE(PageFailed(Failed(failure), false)) << int(failure);
    EXPECT_TRUE(PageFailed(Failed(failure), true)) << int(failure);
  }
  // A body cut short after the server's 200: the failure decides, not the status.
  RequestOutcome cut = Failed(kReadFailed);
  cut.httpStatus = 200;
  EXPECT_TRUE(PageFailed(cut, true));
}

TEST(PageFailure, AnHttpErrorFailsOnlyAPageWithoutEntries) {
  for (int status : {400, 404, 500, 503}) {
    EXPECT_TRUE(PageFailed(Answered(status), false)) << status;
    EXPECT_FALSE(PageFailed(Answered(status), true)) << status;
  }
  for (int status : {200, 204, 302, 399}) EXPECT_FALSE(PageFailed(Answered(status), false)) << status;
}

TEST(PageFailure, ServerErrorsAndTransientTransportFailuresAreAskedForAgain) {
  for (int status : {429, 500, 503, 599}) EXPECT_TRUE(WorthAskingAgain(Answered(status))) << status;
  for (RequestFailure failure : {kNotSent, kNoResponse, kReadFailed}) {
    for (unsigned long error : {0ul, kTimeout, kConnectionError, kCannotConnect})
      EXPECT_TRUE(WorthAskingAgain(Failed(failure, error))) << int(failure) << " " << error;
  }
}

TEST(PageFailure, ARefusedCertificateARedirectThatWentNowhereAndClientErrorsAreNotAskedForAgain) {
  for (RequestFailure failure : {kNotSent, kNoResponse, kReadFailed}) {
    for (unsigned long error : {kInvalidCa, kRedirectFailed, kSecureChannel, kSecureFailure})
      EXPECT_FALSE(WorthAskingAgain(Failed(failure, error))) << int(failure) << " " << error;
  }
  for (int status : {400, 404, 428, 430}) EXPECT_FALSE(WorthAskingAgain(Answered(status))) << status;
  // The request's own set-up failed: another try sets it up the same way.
  for (RequestFailure failure : {kUrlNotParsed, RequestFailure::RequestNotOpened, RequestFailure::ProtocolsNotSet,
                                 RequestFailure::HeadersNotAdded})
    EXPECT_FALSE(WorthAskingAgain(Failed(failure))) << int(failure);
}

TEST(PageFailure, APageLongerThanTheRunTakesOrTheProgramCanHoldFailsAndIsNotAskedForAgain) {
  for (unsigned long error : {kBodyTooLong, kNoRoomForBody}) {
    EXPECT_TRUE(PageFailed(Failed(kReadFailed, error), false)) << error;
    EXPECT_FALSE(WorthAskingAgain(Failed(kReadFailed, error))) << error;
  }
}

TEST(PageFailure, TheReasonNamesThePageAndTheStatus) {
  // The messages are code page 936 (the narrow literals are compiled to it).
  EXPECT_EQ(PageFailureReason(3, "404 Not Found"), "第3页: 404 Not Found");
  EXPECT_EQ(PageFailureReason(12, "713 读取数据失败!"), "第12页: 713 读取数据失败!");
}

}  // namespace
