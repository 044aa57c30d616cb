// adodb-stream-register: makes the stand-in stream the "Adodb.Stream" of the
// Wine prefix where it runs. Wine's own stream gives no type information, so a
// late-bound caller cannot use it. On real Windows the system's component
// serves, and this program refuses to touch it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "system/SystemFunction.h"
#include "wine/AdodbStream/StreamClass.h"
#include "wine/WineOnly/WineOnly.h"

namespace {

// The DLL built beside this program.
std::wstring StreamDllPath() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring result(path, length);
  size_t folderEnd = result.find_last_of(L"\\/");
  result.resize(folderEnd == std::wstring::npos ? 0 : folderEnd + 1);
  result += kStreamDllName;
  if (GetFileAttributesW(result.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  return result;
}

// The registration is the current user's. Wine (8.0 at least) builds
// HKEY_CLASSES_ROOT from the machine's classes alone, so inside the prefix the
// same keys also go there, shadowing Wine's own stream for the whole prefix.
const HKEY kClassRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

[[nodiscard]] bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  std::wstring fullKey = L"Software\\Classes\\" + key;
  HKEY opened = nullptr;
  if (RegCreateKeyExW(root, fullKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG status = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

}  // namespace

int main() {
  if (!RefuseOutsideWine("adodb-stream-register", "the system's Adodb.Stream serves here", FindSystemFunction))
    return 1;
  std::wstring dllPath = StreamDllPath();
  if (dllPath.empty()) {
    std::fputs("adodb-stream-register: AdodbStream.dll is not beside this program.\n", stderr);
    return 1;
  }
  const std::wstring classKey = std::wstring(L"CLSID\\") + kStreamClassIdText;
  const wchar_t* description = L"Stream stand-in for Wine prefixes";
  bool registered = true;
  for (HKEY root : kClassRoots) {
    registered = registered && SetValue(root, classKey, nullptr, description) &&
                 SetValue(root, classKey + L"\\InprocServer32", nullptr, dllPath) &&
                 SetValue(root, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                 SetValue(root, classKey + L"\\ProgID", nullptr, kStreamProgId) &&
                 SetValue(root, kStreamProgId, nullptr, description) &&
                 SetValue(root, std::wstring(kStreamProgId) + L"\\CLSID", nullptr, kStreamClassIdText);
  }
  if (!registered) {
    std::fputs("adodb-stream-register: the registry refused the registration.\n", stderr);
    return 1;
  }
  std::printf("adodb-stream-register: Adodb.Stream registered in this Wine prefix.\n");
  return 0;
}
