// The search in a live main window where a component the program uses is
// gone: Wine loads no DLL named in this program's own DllOverrides with an
// empty value (HKCU\Software\Wine\AppDefaults\<exe>\DllOverrides). Wine reads
// them once, at the program's first DLL load, so the program that finds them
// unset sets them, runs itself again with the same command line and removes
// them when that run ends. Built twice, one program for each set of
// components (SEED_DISABLED_DLLS, names separated by commas).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "automation/ComApartment.h"
#include "automation/ComObject.h"
#include "system/Holders.h"
#include "tests/app/SearchRunTestSupport.h"
#include "text/CodePage936.h"

namespace {

std::wstring OverridesKey() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring exe(path, length);
  exe = exe.substr(exe.find_last_of(L"\\/") + 1);
  return L"Software\\Wine\\AppDefaults\\" + exe + L"\\DllOverrides";
}

bool OverridesSet() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, OverridesKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool SetOverrides() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, OverridesKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring names = SEED_DISABLED_DLLS;
  bool written = true;
  for (size_t from = 0; from <= names.size();) {
    const size_t to = std::min(names.find(L',', from), names.size());
    written &= RegSetValueExW(key, names.substr(from, to - from).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t)) == ERROR_SUCCESS;
    from = to + 1;
  }
  RegCloseKey(key);
  return written;
}

// This program's exit code from a run of itself with the overrides set.
DWORD RunAgainWithOverrides() {
  if (!SetOverrides()) return 3;
  std::wstring commandLine = GetCommandLineW();
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  DWORD exitCode = 3;
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    KernelHandle thread(process.hThread), child(process.hProcess);
    WaitForSingleObject(child.Get(), INFINITE);
    GetExitCodeProcess(child.Get(), &exitCode);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, OverridesKey().c_str());
  return exitCode;
}

// Before main: the run without the overrides is only the one that starts the run with them.
const bool overridesHeld = OverridesSet() || (ExitProcess(RunAgainWithOverrides()), false);

// The component is gone for this program: it cannot be created.
void ExpectGone(const char* progId) {
  ComApartment apartment;
  ComObject object;
  EXPECT_FALSE(object.Create(progId, ComObject::Servers::InProcess)) << progId << " is still there";
}

#ifdef SEED_WITHOUT_ENGINE
TEST_F(SearchRunTest, WithoutThePatternEngineEveryDemoKeywordListsTheSameRows) {
  ExpectGone("VBScript.RegExp");
  for (const wchar_t* keyword : {L"ubuntu", L"\u7535\u5f71" /* 电影 */, L"music", L"linux", L"edge", L"slow",
                                 L"late-charset", L"50% off #1 / a?b\\c", L""}) {
    SCOPED_TRACE(testing::Message() << "keyword " << keyword);
    SearchUntilEnd(keyword);
    const TextList rows = site.Rows(Utf16ToText(keyword));
    EXPECT_FALSE(rows.empty());
    ExpectListed(rows);
  }
  SearchUntilEnd(L"broken");
  ExpectListed(RowRange(site.Rows("broken"), 0, 5));  // page 1; page 2 gets no answer
}
#else
TEST_F(SearchRunTest, WithoutTheDataStreamAUtf8SiteIsListedDecoded) {
  ExpectGone("Adodb.Stream");
  SearchUntilEnd(L"music");
  const TextList rows = site.Rows("music");
  ASSERT_EQ(rows.size(), 12u);
  ExpectListed(rows);
}
#endif

}  // namespace
