#include "tests/web/BareRequest.h"

#include "text/Text.h"
#include "system/ProcessPendingMessages.h"

size_t BareRequest(const WinHttpApi& winHttp, const BareTarget& target, const wchar_t* object,
                   const std::wstring* headers) {
  InternetHandle session(winHttp, winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                               WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return 0;
  InternetHandle connection(winHttp, winHttp.connect(session.Get(), target.host.c_str(), target.port, 0));
  if (!connection) return 0;
  InternetHandle request(winHttp, winHttp.openRequest(connection.Get(), L"GET", object, nullptr, WINHTTP_NO_REFERER,
                                                      WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                      target.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request) return 0;
  if (headers && !winHttp.setTimeouts(request.Get(), 30000, 30000, 30000, 30000)) return 0;
  if (headers && !winHttp.addRequestHeaders(request.Get(), headers->c_str(), DWORD(headers->size()),
                                            WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
    return 0;
  if (!winHttp.sendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) return 0;
  if (!winHttp.receiveResponse(request.Get(), nullptr)) return 0;
  ByteSet body;
  for (DWORD available = 0; winHttp.queryDataAvailable(request.Get(), &available) && available > 0;) {
    size_t start = body.size();
    body.resize(start + available);
    DWORD read = 0;
    if (!winHttp.readData(request.Get(), body.data() + start, available, &read)) break;
    body.resize(start + read);
  }
  if (headers) {
    wchar_t raw[4096];
    DWORD size = sizeof raw;
    if (winHttp.queryHeaders(request.Get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, raw, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
      for (DWORD at = 0; at + 1 < size / sizeof(wchar_t); ++at) {
        if (raw[at] == L'\r' && raw[at + 1] == L'\n') ProcessPendingMessages();
      }
    }
    ProcessPendingMessages();
  }
  return body.size();
}
