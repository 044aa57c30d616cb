#pragma once
// A recording stand-in for the WinHttp table: every call is logged as a line
// of text with its arguments, and any one call can be made to fail. URLs are
// cracked by the real WinHttpCrackUrl.
#include <string>
#include <vector>

#include "text/Text.h"
#include "web/RequestCancel.h"
#include "web/WinHttpApi.h"

struct FakeWinHttp {
  TextList calls;
  Text failing;         // the logged name of the call to fail, e.g. "Open"
  int failingCount = 1;  // fail its n-th occurrence
  Text headerBlock;      // what AddRequestHeaders received
  ByteSet sentBody;
  ByteSet body;                   // served in chunks of `chunkSize`
  DWORD chunkSize = 4;
  int failReadAt = 0;             // 1-based ReadData call to fail; 0 none
  std::wstring rawHeaders = L"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
  bool failHeaderRead = false;    // the second QueryHeaders call fails
  // SetOption arguments refused every time, as logged: "session 84 10240".
  TextList refusedSettings;
  DWORD availableDelay = 0;  // milliseconds each QueryDataAvailable takes
  // Cancelled from within this ReadData call (1-based), as another thread
  // would while the call is blocked; the call then fails on the closed handle.
  RequestCancel* cancel = nullptr;
  int cancelAtRead = 0;
  // The user's proxy settings, handed out unlogged (none by default).
  std::wstring userProxy, userBypass, userScriptUrl;
  bool userAutoDetect = false;
  // What a request for userScriptUrl gets in place of `body` and
  // `rawHeaders`, in chunks of `chunkSize`.
  ByteSet script;
  std::wstring scriptHeaders = L"HTTP/1.1 200 OK\r\n\r\n";

  // Only the calls whose logged line starts with `name`.
  TextList CallsTo(TextView name) const;
};

// Resets the recording and hands it out for the test to arrange.
FakeWinHttp& ResetFakeWinHttp();
const WinHttpApi& FakeWinHttpApi();
