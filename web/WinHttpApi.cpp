#include "web/WinHttpApi.h"

#include "system/SystemFunction.h"

namespace {

// A plain function with the SDK's signature that calls the bound function,
// so that the table holds ordinary pointers while each binding still happens
// at that function's first call.
template <typename FunctionPointer, const SystemFunction<FunctionPointer>& function>
struct Forward;

template <typename Result, typename... Arguments,
          const SystemFunction<Result(WINAPI*)(Arguments...)>& function>
struct Forward<Result(WINAPI*)(Arguments...), function> {
  static Result WINAPI Call(Arguments... arguments) { return function(arguments...); }
};

#define SEED_WINHTTP_FUNCTION(name) \
  const SystemFunction<decltype(&::name)> name##Bound{"winhttp.dll", #name}; \
  constexpr auto name##Forward = &Forward<decltype(&::name), name##Bound>::Call;
SEED_WINHTTP_FUNCTION(WinHttpCheckPlatform)
SEED_WINHTTP_FUNCTION(WinHttpCrackUrl)
SEED_WINHTTP_FUNCTION(WinHttpOpen)
SEED_WINHTTP_FUNCTION(WinHttpConnect)
SEED_WINHTTP_FUNCTION(WinHttpOpenRequest)
SEED_WINHTTP_FUNCTION(WinHttpSetTimeouts)
SEED_WINHTTP_FUNCTION(WinHttpSetCredentials)
SEED_WINHTTP_FUNCTION(WinHttpSetOption)
SEED_WINHTTP_FUNCTION(WinHttpAddRequestHeaders)
SEED_WINHTTP_FUNCTION(WinHttpSendRequest)
SEED_WINHTTP_FUNCTION(WinHttpReceiveResponse)
SEED_WINHTTP_FUNCTION(WinHttpQueryDataAvailable)
SEED_WINHTTP_FUNCTION(WinHttpReadData)
SEED_WINHTTP_FUNCTION(WinHttpQueryHeaders)
SEED_WINHTTP_FUNCTION(WinHttpCloseHandle)
SEED_WINHTTP_FUNCTION(WinHttpGetIEProxyConfigForCurrentUser)
SEED_WINHTTP_FUNCTION(WinHttpGetProxyForUrl)
#undef SEED_WINHTTP_FUNCTION

const WinHttpApi kSystemWinHttp = {
    WinHttpCheckPlatformForward,      WinHttpCrackUrlForward,        WinHttpOpenForward,
    WinHttpConnectForward,            WinHttpOpenRequestForward,     WinHttpSetTimeoutsForward,
    WinHttpSetCredentialsForward,     WinHttpSetOptionForward,       WinHttpAddRequestHeadersForward,
    WinHttpSendRequestForward,        WinHttpReceiveResponseForward, WinHttpQueryDataAvailableForward,
    WinHttpReadDataForward,           WinHttpQueryHeadersForward,    WinHttpCloseHandleForward,
    WinHttpGetIEProxyConfigForCurrentUserForward, WinHttpGetProxyForUrlForward,
};

}  // namespace

const WinHttpApi& SystemWinHttp() { return kSystemWinHttp; }
