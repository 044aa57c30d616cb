#include "app/MagnetHandler.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include "system/SystemFunction.h"
#include "text/CodePage936.h"
#include "text/UriCharacters.h"

namespace {

SystemFunction<decltype(&::AssocQueryStringW)> assocQueryString{"shlwapi.dll", "AssocQueryStringW"};
SystemFunction<decltype(&::ShellExecuteExW)> shellExecuteEx{"shell32.dll", "ShellExecuteExW"};

// ASSOCF_IS_PROTOCOL (Windows 8 and later, hidden by the headers below it):
// the user's default-app choice for the protocol, then its registration.
constexpr ASSOCF kIsProtocol = ASSOCF(0x00001000);

bool FindsOpenCommand(ASSOCF flags) {
  DWORD size = 0;
  const HRESULT found = assocQueryString(flags, ASSOCSTR_COMMAND, L"magnet", L"open", nullptr, &size);
  return (found == S_OK || found == S_FALSE) && size > 1;
}

}  // namespace

bool HasMagnetHandler() {
  // Only the command's presence matters here. A system that does not know
  // the flag finds the protocol as a key of the classes, where it lives too.
  return FindsOpenCommand(kIsProtocol) || FindsOpenCommand(ASSOCF_NONE);
}

bool OpenWithMagnetHandler(const Text& address) {
  // The shell puts the link into the handler's command line as it is, quoted
  // or not as the handler registered it: escaped, no quote or space of the
  // page's can end that argument or add another.
  const std::wstring link = TextToUtf16(EscapeUriCharacters(address));
  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof execute;
  // A handler that fails must not bring up the system's "choose a program" box.
  execute.fMask = SEE_MASK_FLAG_NO_UI;
  execute.lpVerb = L"open";
  execute.lpFile = link.c_str();
  execute.nShow = SW_SHOWNORMAL;
  return shellExecuteEx(&execute) != FALSE;
}
