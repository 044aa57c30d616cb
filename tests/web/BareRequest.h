#pragma once
// One request written directly on WinHttp, for the benchmarks' baseline:
// session, connection, request, send, read, close, and nothing else.
#include <string>

#include "web/WinHttpApi.h"

struct BareTarget {
  std::wstring host;
  INTERNET_PORT port = 0;
  bool secure = false;
};

// The body's size, 0 on failure. With `headers`, it also does what WebRequest
// must do besides header and cookie work: the four timeouts, the same header
// lines on the wire, and letting the thread process its messages after each
// response header line and on the way out. That tells WebRequest's own cost
// from these.
size_t BareRequest(const WinHttpApi& winHttp, const BareTarget& target, const wchar_t* object,
                   const std::wstring* headers = nullptr);
