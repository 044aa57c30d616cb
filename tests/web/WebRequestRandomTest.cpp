// The response handling under random responses through the recording fake:
// header blocks, chunkings, read failures and caps, each checked against a
// plain reference of what the call must give. The seed is printed;
// SEEDSEARCH_RANDOM_SEED=N replays a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "tests/web/FakeWinHttp.h"
#include "text/CodePage936.h"
#include "web/WebRequest.h"

namespace {

constexpr int kCases = 400;

unsigned Seed() {
  if (const char* fixed = std::getenv("SEEDSEARCH_RANDOM_SEED")) return unsigned(std::strtoul(fixed, nullptr, 10));
  return unsigned(GetTickCount());
}

// One random response, and what the call must give for it.
struct RandomResponse {
  std::wstring rawHeaders;
  Text statusLine;  // "CODE REASON" as the header block carries it
  long long announced = -1;
  ByteSet body;
  DWORD chunkSize = 1;
  int failReadAt = 0;
  size_t mostBodyBytes = 0;
};

RandomResponse MakeResponse(std::mt19937& random) {
  auto pick = [&random](int most) { return int(random() % unsigned(most + 1)); };
  RandomResponse response;
  const char* codes[] = {"200 OK", "404 Not Found", "500 Internal Server Error", "204 No Content", "200 "};
  response.statusLine = codes[pick(4)];
  std::wstring block = L"HTTP/1.1 " + std::wstring(response.statusLine.begin(), response.statusLine.end()) + L"\r\n";
  const size_t size = size_t(pick(3) == 0 ? pick(3) : pick(3000));
  // Letters, zero bytes and a lone lead byte (D6, half of 中): no charset declaration can form.
  const unsigned char alphabet[] = {'a', 'b', 'z', ' ', 0, 0xD6};
  for (size_t at = 0; at < size; ++at) response.body.push_back(alphabet[pick(5)]);
  switch (pick(3)) {
    case 0: break;  // no length
    case 1: response.announced = (long long)size; break;
    case 2: response.announced = (long long)size + 1 + pick(50); break;  // the body comes short
    default: response.announced = pick(int(size)); break;               // more than announced
  }
  if (response.announced >= 0) {
    const char* spellings[] = {"Content-Length: ", "content-length:", "CONTENT-LENGTH:   "};
    const Text name = spellings[pick(2)];
    block += std::wstring(name.begin(), name.end()) + std::to_wstring(response.announced) + L"\r\n";
  }
  if (pick(1)) block += L"X-Other: \u4E2D\r\n";  // 中 in the headers
  response.rawHeaders = block + L"\r\n";
  response.chunkSize = DWORD(1 + pick(pick(1) ? 16 : 4096));
  response.failReadAt = pick(3) == 0 ? 1 + pick(20) : 0;
  response.mostBodyBytes = pick(2) == 0 ? size_t(pick(3000)) : 0;
  return response;
}

// What the call must give: the reference is written as plainly as possible.
struct Expected {
  Text status;
  RequestFailure failure = RequestFailure::None;
  int httpStatus = 0;
  unsigned long systemError = 0;
  ByteSet body;
  Text text;
};

Expected Reference(const RandomResponse& response) {
  Expected expected;
  bool whole = true, tooLarge = false;
  size_t position = 0;
  for (int read = 1; position < response.body.size(); ++read) {
    const size_t chunk = std::min<size_t>(response.chunkSize, response.body.size() - position);
    if (response.mostBodyBytes > 0 && expected.body.size() + chunk > response.mostBodyBytes) {
      tooLarge = true;
      break;
    }
    if (read == response.failReadAt) {
      whole = false;
      break;
    }
    expected.body.insert(expected.body.end(), response.body.begin() + long(position),
                         response.body.begin() + long(position + chunk));
    position += chunk;
  }
  if (tooLarge) {
    expected.body.clear();
    expected.systemError = kBodyTooLarge;
  }
  if (response.announced >= 0 && (long long)expected.body.size() < response.announced) whole = false;
  expected.status = whole && !tooLarge ? response.statusLine : Text("713 读取数据失败!");
  expected.failure = whole && !tooLarge ? RequestFailure::None : RequestFailure::ReadFailed;
  expected.httpStatus = std::atoi(response.statusLine.c_str());
  for (unsigned char byte : expected.body) {
    if (byte == 0) break;
    expected.text.push_back(char(byte));
  }
  return expected;
}

TEST(WebRequestRandom, ResponsesOfEveryShapeGiveWhatTheReferenceSays) {
  const unsigned seed = Seed();
  std::printf("seed %u (SEEDSEARCH_RANDOM_SEED replays it)\n", seed);
  std::mt19937 random(seed);
  PageDecoder decoder;  // one for all, as the search run keeps it
  for (int each = 0; each < kCases; ++each) {
    const RandomResponse response = MakeResponse(random);
    FakeWinHttp& fake = ResetFakeWinHttp();
    fake.rawHeaders = response.rawHeaders;
    fake.body = response.body;
    fake.chunkSize = response.chunkSize;
    fake.failReadAt = response.failReadAt;
    Text status;
    RequestOutcome outcome;
    ByteSet body;
    WebRequestOptions options;
    options.statusText = &status, options.outcome = &outcome, options.responseBody = &body;
    options.mostBodyBytes = response.mostBodyBytes;
    options.pageDecoder = &decoder;
    const Text text = WebRequest("http://example.test/", options, FakeWinHttpApi());

    const Expected expected = Reference(response);
    SCOPED_TRACE("seed " + DecimalText(int(seed)) + ", case " + DecimalText(each));
    ASSERT_EQ(status, expected.status);
    ASSERT_EQ(outcome.failure, expected.failure);
    ASSERT_EQ(outcome.httpStatus, expected.httpStatus);
    if (expected.systemError) {
      ASSERT_EQ(outcome.systemError, expected.systemError);
    }
    ASSERT_EQ(body, expected.body);
    ASSERT_EQ(text, expected.text);
    ASSERT_EQ(fake.CallsTo("Close").size(), 3u);
    // Never more held than the cap: no read asks past it.
    if (response.mostBodyBytes > 0) {
      size_t asked = 0;
      for (const Text& call : fake.CallsTo("ReadData")) asked += size_t(std::atoi(call.c_str() + call.rfind(' ') + 1));
      ASSERT_LE(asked, response.mostBodyBytes);
    }
  }
}

}  // namespace
