// Which fetched pages end a search run, and which of them are asked for again.
#include "app/PageFailure.h"

#include <gtest/gtest.h>

namespace {

// The messages are code page 936 (the narrow literals are compiled to it).
constexpr char kNotSent[] = "711 发送请求失败!";
constexpr char kNoResponse[] = "712 服务器未响应!";
constexpr char kReadFailed[] = "713 读取数据失败!";

// WinHttp's error codes as GetLastError gives them.
constexpr unsigned long kTimeout = 12002;           // ERROR_WINHTTP_TIMEOUT
constexpr unsigned long kConnectionError = 12030;   // ERROR_WINHTTP_CONNECTION_ERROR (a reset)
constexpr unsigned long kCannotConnect = 12029;     // ERROR_WINHTTP_CANNOT_CONNECT
constexpr unsigned long kInvalidCa = 12045;         // ERROR_WINHTTP_SECURE_INVALID_CA
constexpr unsigned long kRedirectFailed = 12156;    // ERROR_WINHTTP_REDIRECT_FAILED
constexpr unsigned long kSecureChannel = 12157;     // ERROR_WINHTTP_SECURE_CHANNEL_ERROR
constexpr unsigned long kSecureFailure = 12175;     // ERROR_WINHTTP_SECURE_FAILURE
constexpr unsigned long kBodyTooLong = 223;         // ERROR_FILE_TOO_LARGE: WebRequest's body past its cap

TEST(PageFailure, ATransportOrReadFailureFailsThePageWhateverArrived) {
  for (const char* status : {"701 解析URL地址失败!", kNotSent, kNoResponse, kReadFailed}) {
    EXPECT_TRUE(PageFailed(status, false)) << status;
    EXPECT_TRUE(PageFailed(status, true)) << status;
  }
}

TEST(PageFailure, AnHttpErrorFailsOnlyAPageWithoutEntries) {
  for (const char* status : {"400 Bad Request", "404 Not Found", "500 Internal Server Error", "503 Service Unavailable"}) {
    EXPECT_TRUE(PageFailed(status, false)) << status;
    EXPECT_FALSE(PageFailed(status, true)) << status;
  }
  for (const char* status : {"200 OK", "204 No Content", "302 Found", "399 Odd"}) EXPECT_FALSE(PageFailed(status, false)) << status;
}

TEST(PageFailure, ServerErrorsAndTransientTransportFailuresAreAskedForAgain) {
  for (const char* status : {"500 Internal Server Error", "503 Service Unavailable", "599 Odd"})
    EXPECT_TRUE(WorthAskingAgain(status, 0)) << status;
  for (const char* status : {kNotSent, kNoResponse, kReadFailed}) {
    for (unsigned long error : {0ul, kTimeout, kConnectionError, kCannotConnect})
      EXPECT_TRUE(WorthAskingAgain(status, error)) << status << " " << error;
  }
}

TEST(PageFailure, ARefusedCertificateARedirectThatWentNowhereAndClientErrorsAreNotAskedForAgain) {
  for (const char* status : {kNotSent, kNoResponse, kReadFailed}) {
    for (unsigned long error : {kInvalidCa, kRedirectFailed, kSecureChannel, kSecureFailure})
      EXPECT_FALSE(WorthAskingAgain(status, error)) << status << " " << error;
  }
  for (const char* status : {"400 Bad Request", "404 Not Found", "429 Too Many Requests"})
    EXPECT_FALSE(WorthAskingAgain(status, 0)) << status;
  // The request's own set-up failed: another try sets it up the same way.
  for (const char* status : {"701 解析URL地址失败!", "704 创建WinHttp请求失败!", "706 设置安全协议失败!", "710 设置协议头失败!"})
    EXPECT_FALSE(WorthAskingAgain(status, 0)) << status;
}

TEST(PageFailure, APageLongerThanTheRunTakesFailsAndIsNotAskedForAgain) {
  EXPECT_TRUE(PageFailed(kReadFailed, false));
  EXPECT_FALSE(WorthAskingAgain(kReadFailed, kBodyTooLong));
}

TEST(PageFailure, TheReasonNamesThePageAndTheStatus) {
  EXPECT_EQ(PageFailureReason(3, "404 Not Found"), "第3页: 404 Not Found");
  EXPECT_EQ(PageFailureReason(12, kReadFailed), Text("第12页: ") + kReadFailed);
}

}  // namespace
