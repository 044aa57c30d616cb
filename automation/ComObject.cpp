#include "automation/ComObject.h"

#include <utility>

#include "text/CodePage936.h"

namespace {

// In-process server and handler, local and remote server; without the remote
// server where a system refuses that one.
constexpr DWORD kAnyContext = 0x17;
constexpr DWORD kLocalContexts = 0x7;
constexpr DWORD kInProcessContexts = 0x3;  // server and handler

bool RegistersLocalServer(const CLSID& classId) {
  wchar_t braced[40];
  if (!StringFromGUID2(classId, braced, 40)) return false;
  const std::wstring keyName = L"CLSID\\" + std::wstring(braced) + L"\\LocalServer32";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

bool ComObject::Create(TextView name, Servers servers) {
  std::wstring wideName = TextToUtf16(name);
  CLSID classId;
  HRESULT found = !name.empty() && name[0] == '{' ? CLSIDFromString(wideName.c_str(), &classId)
                                                   : CLSIDFromProgID(wideName.c_str(), &classId);
  if (FAILED(found)) return false;
  ComReference<IUnknown> created;
  const DWORD contexts = servers == Servers::Any ? kAnyContext : kInProcessContexts;
  HRESULT made = CoCreateInstance(classId, nullptr, contexts, IID_IUnknown, reinterpret_cast<void**>(created.Receive()));
  if (made == E_INVALIDARG && servers == Servers::Any)
    made = CoCreateInstance(classId, nullptr, kLocalContexts, IID_IUnknown, reinterpret_cast<void**>(created.Receive()));
  if (FAILED(made) && servers == Servers::InProcessFirst && RegistersLocalServer(classId))
    made = CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(created.Receive()));
  if (FAILED(made) || !created) return false;
  if (FAILED(OleRun(created.Get()))) return false;
  reference = std::move(created);
  return true;
}
