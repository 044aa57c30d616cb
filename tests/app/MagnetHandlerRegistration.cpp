#include "tests/app/MagnetHandlerRegistration.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

MagnetHandlerRegistration::MagnetHandlerRegistration(LinkArgument form) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  logFile = std::wstring(folder) + L"magnet-handler-" + std::to_wstring(GetCurrentProcessId()) + L".log";
  DeleteFileW(logFile.c_str());
  const std::wstring command = L"\"" + TextToUtf16(WindowsPath(SEED_MAGNET_HANDLER_EXE)) + L"\" \"" + logFile +
                                (form == LinkArgument::Quoted ? L"\" \"%1\"" : L"\" %1");
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
  std::string bytes;
  char chunk[4096];
  for (size_t read; (read = std::fread(chunk, 1, sizeof chunk, log)) > 0;) bytes.append(chunk, read);
  std::fclose(log);
  // Each line: the creation time, the count, then " <length>:<bytes>" for each.
  const char* at = bytes.c_str();
  const char* end = at + bytes.size();
  while (at < end) {
    HandedLink handed;
    char* after = nullptr;
    handed.createdAt = std::strtoull(at, &after, 10);
    const unsigned long count = std::strtoul(after, &after, 10);
    bool whole = true;
    for (unsigned long index = 0; whole && index < count; ++index) {
      const unsigned long length = std::strtoul(after, &after, 10);
      whole = after < end && *after == ':' && size_t(end - after - 1) >= length;
      if (!whole) break;
      handed.arguments.emplace_back(after + 1, length);
      after += 1 + length;
    }
    // A line still being written is read whole the next time.
    if (!whole || after >= end || *after != '\n') break;
    at = after + 1;
    if (count == 1) handed.link = handed.arguments[0];
    links.push_back(std::move(handed));
  }
  std::sort(links.begin(), links.end(),
            [](const HandedLink& one, const HandedLink& other) { return one.createdAt < other.createdAt; });
  return links;
}

bool MagnetHandlerRegistration::PumpUntilHanded(size_t count) const {
  return PumpUntil([&] { return HandedLinks().size() >= count; }, 20000);
}
