#include "app/MagnetHandler.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include "system/SystemFunction.h"
#include "text/CodePage936.h"

namespace {

SystemFunction<decltype(&::AssocQueryStringW)> assocQueryString{"shlwapi.dll", "AssocQueryStringW"};
SystemFunction<decltype(&::ShellExecuteExW)> shellExecuteEx{"shell32.dll", "ShellExecuteExW"};

// ASSOCF_IS_PROTOCOL, which the headers hide below Windows 8. Windows 7 does
// not know it and reads the name as a key of the classes, where a protocol's
// registration lives too.
constexpr ASSOCF kIsProtocol = ASSOCF(0x00001000);

}  // namespace

bool HasMagnetHandler() {
  // The command the protocol's open verb runs, from the user's choice or the
  // machine's registration; only its presence matters here.
  DWORD size = 0;
  const HRESULT found = assocQueryString(kIsProtocol | ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, L"magnet", L"open",
                                         nullptr, &size);
  return (found == S_OK || found == S_FALSE) && size > 1;
}

bool OpenWithMagnetHandler(const Text& address) {
  const std::wstring link = TextToUtf16(address);
  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof execute;
  // A handler that fails must not bring up the system's "choose a program" box.
  execute.fMask = SEE_MASK_FLAG_NO_UI;
  execute.lpVerb = L"open";
  execute.lpFile = link.c_str();
  execute.nShow = SW_SHOWNORMAL;
  return shellExecuteEx(&execute) != FALSE;
}
