#include "automation/ComObject.h"

#include <utility>

#include "text/CodePage936.h"

namespace {

// In-process server and handler, local and remote server; without the remote
// server where a system refuses that one.
constexpr DWORD kAnyContext = 0x17;
constexpr DWORD kLocalContexts = 0x7;

}  // namespace

bool ComObject::Create(TextView name) {
  std::wstring wideName = TextToUtf16(name);
  CLSID classId;
  HRESULT found = !name.empty() && name[0] == '{' ? CLSIDFromString(wideName.c_str(), &classId)
                                                   : CLSIDFromProgID(wideName.c_str(), &classId);
  if (FAILED(found)) return false;
  ComReference<IUnknown> created;
  HRESULT made = CoCreateInstance(classId, nullptr, kAnyContext, IID_IUnknown,
                                  reinterpret_cast<void**>(created.Receive()));
  if (made == E_INVALIDARG)
    made = CoCreateInstance(classId, nullptr, kLocalContexts, IID_IUnknown, reinterpret_cast<void**>(created.Receive()));
  if (FAILED(made) || !created) return false;
  if (FAILED(OleRun(created.Get()))) return false;
  reference = std::move(created);
  return true;
}
