#include "tests/web/FakeWinHttp.h"

#include <algorithm>
#include <cstdio>

#include "text/CodePage936.h"

namespace {

FakeWinHttp fake;
size_t readPosition = 0;
int readCalls = 0;
bool requestClosed = false;  // calls on it fail as on a closed handle
std::wstring connectedHost;
bool servingScript = false;  // the request open now asks for the user's script
size_t scriptPosition = 0;

const ByteSet& Served() { return servingScript ? fake.script : fake.body; }
size_t& ServedPosition() { return servingScript ? scriptPosition : readPosition; }

HINTERNET const kSession = reinterpret_cast<HINTERNET>(0x51);
HINTERNET const kConnection = reinterpret_cast<HINTERNET>(0x52);
HINTERNET const kRequest = reinterpret_cast<HINTERNET>(0x53);

Text HandleName(HINTERNET handle) {
  if (handle == kSession) return "session";
  if (handle == kConnection) return "connection";
  if (handle == kRequest) return "request";
  return "unknown";
}

Text Wide(const wchar_t* text) { return text ? "\"" + Utf16ToText(text) + "\"" : "null"; }

Text Hex(DWORD value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "0x%lX", static_cast<unsigned long>(value));
  return digits;
}

// Logs the call and tells whether it is the one to fail.
bool Record(const Text& name, const Text& arguments) {
  fake.calls.push_back(name + "(" + arguments + ")");
  if (name != fake.failing) return false;
  int seen = int(fake.CallsTo(name).size());
  return seen == fake.failingCount;
}

BOOL WINAPI CheckPlatform() { return !Record("CheckPlatform", ""); }

BOOL WINAPI CrackUrl(LPCWSTR url, DWORD length, DWORD flags, LPURL_COMPONENTS components) {
  if (Record("CrackUrl", DecimalText(length) + " " + DecimalText(flags) + " size=" + DecimalText(components->dwStructSize)))
    return FALSE;
  return SystemWinHttp().crackUrl(url, length, flags, components);
}

HINTERNET WINAPI Open(LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags) {
  return Record("Open", Wide(agent) + " " + DecimalText(access) + " " + Wide(proxy) + " " + Wide(bypass) + " " +
                            DecimalText(flags))
             ? nullptr
             : kSession;
}

HINTERNET WINAPI Connect(HINTERNET session, LPCWSTR host, INTERNET_PORT port, DWORD reserved) {
  connectedHost = host;
  return Record("Connect", HandleName(session) + " " + Wide(host) + " " + DecimalText(port) + " " + DecimalText(reserved))
             ? nullptr
             : kConnection;
}

HINTERNET WINAPI OpenRequest(HINTERNET connection, LPCWSTR verb, LPCWSTR object, LPCWSTR version, LPCWSTR referrer,
                             LPCWSTR* acceptTypes, DWORD flags) {
  // A request of its own: the handle closed before was the last one's.
  requestClosed = false;
  servingScript = !fake.userScriptUrl.empty() && L"http://" + connectedHost + object == fake.userScriptUrl;
  scriptPosition = 0;
  return Record("OpenRequest", HandleName(connection) + " " + Wide(verb) + " " + Wide(object) + " " + Wide(version) +
                                   " " + Wide(referrer) + " " + (acceptTypes ? "types" : "null") + " " + Hex(flags))
             ? nullptr
             : kRequest;
}

BOOL WINAPI SetTimeouts(HINTERNET request, int resolve, int connect, int send, int receive) {
  return !Record("SetTimeouts", HandleName(request) + " " + DecimalText(resolve) + " " + DecimalText(connect) + " " +
                                    DecimalText(send) + " " + DecimalText(receive));
}

BOOL WINAPI SetCredentials(HINTERNET request, DWORD target, DWORD scheme, LPCWSTR user, LPCWSTR password, LPVOID) {
  return !Record("SetCredentials", HandleName(request) + " " + DecimalText(target) + " " + DecimalText(scheme) + " " +
                                       Wide(user) + " " + Wide(password));
}

BOOL WINAPI SetOption(HINTERNET request, DWORD option, LPVOID buffer, DWORD length) {
  DWORD value = length == sizeof(DWORD) ? *static_cast<DWORD*>(buffer) : 0;
  const Text setting = HandleName(request) + " " + DecimalText(option) + " " + DecimalText(value);
  if (Record("SetOption", setting + " " + DecimalText(length))) return FALSE;
  for (const Text& refused : fake.refusedSettings) {
    if (refused == setting) {
      SetLastError(ERROR_WINHTTP_INVALID_OPTION);
      return FALSE;
    }
  }
  return TRUE;
}

BOOL WINAPI AddRequestHeaders(HINTERNET request, LPCWSTR headers, DWORD length, DWORD modifiers) {
  fake.headerBlock = Utf16ToText(headers, int(length));
  return !Record("AddRequestHeaders", HandleName(request) + " " + DecimalText(length) + " " + Hex(modifiers));
}

BOOL WINAPI SendRequest(HINTERNET request, LPCWSTR headers, DWORD headersLength, LPVOID body, DWORD bodyLength,
                        DWORD totalLength, DWORD_PTR context) {
  if (body) fake.sentBody.assign(static_cast<unsigned char*>(body), static_cast<unsigned char*>(body) + bodyLength);
  return !Record("SendRequest", HandleName(request) + " " + Wide(headers) + " " + DecimalText(headersLength) + " " +
                                    (body ? "body" : "null") + " " + DecimalText(bodyLength) + " " +
                                    DecimalText(totalLength) + " " + DecimalText(static_cast<long long>(context)));
}

BOOL WINAPI ReceiveResponse(HINTERNET request, LPVOID reserved) {
  return !Record("ReceiveResponse", HandleName(request) + (reserved ? " reserved" : " null"));
}

BOOL WINAPI QueryDataAvailable(HINTERNET request, LPDWORD available) {
  if (Record("QueryDataAvailable", HandleName(request))) return FALSE;
  if (fake.availableDelay) Sleep(fake.availableDelay);
  if (requestClosed) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  size_t left = Served().size() - ServedPosition();
  *available = DWORD(left < fake.chunkSize ? left : fake.chunkSize);
  return TRUE;
}

BOOL WINAPI ReadData(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read) {
  Record("ReadData", HandleName(request) + " " + DecimalText(size));
  if (++readCalls == fake.failReadAt) return FALSE;
  if (fake.cancel && readCalls == fake.cancelAtRead) fake.cancel->Cancel();
  if (requestClosed) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const ByteSet& served = Served();
  size_t& position = ServedPosition();
  size_t left = served.size() - position;
  DWORD count = DWORD(left < size ? left : size);
  std::copy(served.begin() + long(position), served.begin() + long(position + count),
            static_cast<unsigned char*>(buffer));
  position += count;
  *read = count;
  return TRUE;
}

BOOL WINAPI QueryHeaders(HINTERNET request, DWORD level, LPCWSTR name, LPVOID buffer, LPDWORD length, LPDWORD index) {
  Record("QueryHeaders", HandleName(request) + " " + DecimalText(level) + " " + (name ? "name" : "null") + " " +
                             (buffer ? "buffer" : "null") + " " + DecimalText(*length) + " " + (index ? "index" : "null"));
  if (requestClosed) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const std::wstring& headers = servingScript ? fake.scriptHeaders : fake.rawHeaders;
  DWORD needed = DWORD((headers.size() + 1) * sizeof(wchar_t));
  if (!buffer || *length < needed) {
    *length = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (fake.failHeaderRead) return FALSE;
  std::copy(headers.begin(), headers.end(), static_cast<wchar_t*>(buffer));
  static_cast<wchar_t*>(buffer)[headers.size()] = L'\0';
  *length = DWORD(headers.size() * sizeof(wchar_t));
  return TRUE;
}

BOOL WINAPI CloseHandle(HINTERNET handle) {
  fake.calls.push_back("Close(" + HandleName(handle) + ")");
  if (handle == kRequest) requestClosed = true;
  return TRUE;
}

// A copy the caller frees with GlobalFree, as WinHttp hands out; null for an empty text.
LPWSTR GlobalCopy(const std::wstring& text) {
  if (text.empty()) return nullptr;
  auto* copy = static_cast<LPWSTR>(GlobalAlloc(GMEM_FIXED, (text.size() + 1) * sizeof(wchar_t)));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, copy);
  return copy;
}

BOOL WINAPI GetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config) {
  config->fAutoDetect = fake.userAutoDetect;
  config->lpszAutoConfigUrl = GlobalCopy(fake.userScriptUrl);
  config->lpszProxy = GlobalCopy(fake.userProxy);
  config->lpszProxyBypass = GlobalCopy(fake.userBypass);
  return TRUE;
}

// Logged only: the system's own lookup is for systems without a script host,
// and Wine has one.
BOOL WINAPI GetProxyForUrl(HINTERNET session, LPCWSTR url, WINHTTP_AUTOPROXY_OPTIONS* options, WINHTTP_PROXY_INFO*) {
  Record("GetProxyForUrl", HandleName(session) + " " + Wide(url) + " " + Hex(options->dwFlags) + " " +
                               Wide(options->lpszAutoConfigUrl));
  SetLastError(ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT);
  return FALSE;
}

const WinHttpApi kFake = {CheckPlatform,   CrackUrl,          Open,       Connect,  OpenRequest,
                          SetTimeouts,     SetCredentials,    SetOption,  AddRequestHeaders,
                          SendRequest,     ReceiveResponse,   QueryDataAvailable,   ReadData,
                          QueryHeaders,    CloseHandle,       GetIEProxyConfigForCurrentUser,
                          GetProxyForUrl};

}  // namespace

TextList FakeWinHttp::CallsTo(TextView name) const {
  TextList matching;
  Text prefix = Text(name) + "(";
  for (const Text& call : calls) {
    if (call.rfind(prefix, 0) == 0) matching.push_back(call);
  }
  return matching;
}

FakeWinHttp& ResetFakeWinHttp() {
  fake = FakeWinHttp();
  readPosition = 0;
  readCalls = 0;
  requestClosed = false;
  connectedHost.clear();
  servingScript = false;
  scriptPosition = 0;
  return fake;
}

const WinHttpApi& FakeWinHttpApi() { return kFake; }
