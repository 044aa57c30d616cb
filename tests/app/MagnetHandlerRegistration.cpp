#include "tests/app/MagnetHandlerRegistration.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "app/MagnetHandler.h"
#include "tests/ui/WindowTestSupport.h"
#include "tests/web/ServerProcess.h"
#include "text/CodePage936.h"

namespace {

constexpr const wchar_t* kUserClasses = L"Software\\Classes\\magnet";

void SetText(HKEY root, const std::wstring& keyName, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, keyName.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// A URL protocol as a torrent client registers it.
void WriteProtocol(HKEY root, const std::wstring& keyName, const std::wstring& command) {
  SetText(root, keyName, nullptr, L"URL:Magnet link");
  SetText(root, keyName, L"URL Protocol", L"");
  SetText(root, keyName + L"\\shell\\open\\command", nullptr, command);
}

}  // namespace

MagnetHandlerRegistration::MagnetHandlerRegistration() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  logFile = std::wstring(folder) + L"magnet-handler-" + std::to_wstring(GetCurrentProcessId()) + L".log";
  DeleteFileW(logFile.c_str());
  const std::wstring command =
      L"\"" + TextToUtf16(WindowsPath(SEED_MAGNET_HANDLER_EXE)) + L"\" \"" + logFile + L"\" \"%1\"";
  WriteProtocol(HKEY_CURRENT_USER, kUserClasses, command);
  // Where the system reads only the machine's classes (Wine 8 does), there too.
  if (!HasMagnetHandler()) {
    WriteProtocol(HKEY_CLASSES_ROOT, L"magnet", command);
    wroteMachineClasses = true;
  }
}

MagnetHandlerRegistration::~MagnetHandlerRegistration() {
  if (wroteMachineClasses) RegDeleteTreeW(HKEY_CLASSES_ROOT, L"magnet");
  RegDeleteTreeW(HKEY_CURRENT_USER, kUserClasses);
  DeleteFileW(logFile.c_str());
}

std::vector<HandedLink> MagnetHandlerRegistration::HandedLinks() const {
  std::vector<HandedLink> links;
  FILE* log = _wfopen(logFile.c_str(), L"rb");
  if (!log) return links;
  unsigned long long createdAt = 0;
  char link[2048];
  while (std::fscanf(log, "%llu %2047s", &createdAt, link) == 2) links.push_back({createdAt, link});
  std::fclose(log);
  std::sort(links.begin(), links.end(),
            [](const HandedLink& one, const HandedLink& other) { return one.createdAt < other.createdAt; });
  return links;
}

bool MagnetHandlerRegistration::PumpUntilHanded(size_t count) const {
  return PumpUntil([&] { return HandedLinks().size() >= count; }, 20000);
}
