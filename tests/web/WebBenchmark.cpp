// web_benchmark.exe [REQUESTS_PER_ROUND] [ROUNDS]
// Requests per second and MB/s of WebRequest for a 100 KB page from the local
// test server, beside the same loop written directly on WinHttp without any
// header or cookie work, and beside that loop doing the work WebRequest must
// do besides headers and cookies.
// The ratio is what counts, not the absolute rate.
#include <cstdio>
#include <cstdlib>

#include "tests/web/BareRequest.h"
#include "tests/web/TestServer.h"
#include "text/CodePage936.h"
#include "web/RequestHeaders.h"
#include "web/WebRequest.h"

namespace {

constexpr size_t kPageSize = 100 * 1024;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

void PrintLine(const char* name, int requests, double seconds, size_t bytes) {
  std::printf("%-13s %6d requests %8.3f s %9.1f requests/s %8.1f MB/s\n", name, requests, seconds,
              requests / seconds, double(bytes) / seconds / 1e6);
}

}  // namespace

int main(int argumentCount, char** arguments) {
  int perRound = argumentCount > 1 ? std::atoi(arguments[1]) : 50;
  int rounds = argumentCount > 2 ? std::atoi(arguments[2]) : 10;
  TestServer server;
  if (!server.Start(false)) {
    std::fprintf(stderr, "the test server did not start\n");
    return 1;
  }
  Text url = server.Url("/page?" + DecimalText(kPageSize));
  BareTarget target{L"127.0.0.1",
                    INTERNET_PORT(std::atoi(server.Url("").substr(sizeof "http://127.0.0.1:" - 1).c_str()))};
  std::wstring object = TextToUtf16("/page?" + DecimalText(kPageSize));
  const WinHttpApi& winHttp = SystemWinHttp();

  // One of each first, so that binding and the server's first reply are not timed.
  if (WebRequest(url).size() != kPageSize || BareRequest(winHttp, target, object.c_str()) != kPageSize) {
    std::fprintf(stderr, "the page did not arrive whole\n");
    return 1;
  }
  std::wstring headers = TextToUtf16(BuildRequestHeaders("", ""));
  double webSeconds = 0, bareSeconds = 0, headerSeconds = 0;
  size_t webBytes = 0, bareBytes = 0, headerBytes = 0;
  // The three loops take turns request by request, in a rotating order, so
  // that load from other processes falls on all of them alike.
  for (int round = 0; round < rounds; ++round) {
    for (int i = 0; i < perRound; ++i) {
      for (int turn = 0; turn < 3; ++turn) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        switch ((turn + i) % 3) {
          case 0:
            webBytes += WebRequest(url).size();
            QueryPerformanceCounter(&end);
            webSeconds += Seconds(start, end);
            break;
          case 1:
            bareBytes += BareRequest(winHttp, target, object.c_str());
            QueryPerformanceCounter(&end);
            bareSeconds += Seconds(start, end);
            break;
          default:
            headerBytes += BareRequest(winHttp, target, object.c_str(), &headers);
            QueryPerformanceCounter(&end);
            headerSeconds += Seconds(start, end);
        }
      }
    }
  }
  int requests = perRound * rounds;
  std::printf("100 KB page from 127.0.0.1, %d rounds of %d requests per loop\n", rounds, perRound);
  PrintLine("WebRequest", requests, webSeconds, webBytes);
  PrintLine("bare WinHttp", requests, bareSeconds, bareBytes);
  PrintLine("bare+required", requests, headerSeconds, headerBytes);
  std::printf("time per request, WebRequest / bare WinHttp: %.3f (%+.1f%%)\n", webSeconds / bareSeconds,
              (webSeconds / bareSeconds - 1) * 100);
  std::printf("time per request, WebRequest / bare WinHttp with timeouts, header lines, messages: %.3f (%+.1f%%)\n",
              webSeconds / headerSeconds, (webSeconds / headerSeconds - 1) * 100);
  return 0;
}
