#include "tests/app/ThunderAgentComponent.h"

#include <oaidl.h>

namespace {

// {3F7E2A90-5C1D-4B8E-A2F4-7C9D1E6B5A23}
const CLSID kThunderAgentClass = {0x3f7e2a90, 0x5c1d, 0x4b8e, {0xa2, 0xf4, 0x7c, 0x9d, 0x1e, 0x6b, 0x5a, 0x23}};
constexpr DISPID kAddTask = 1;
constexpr DISPID kCommitTasks = 2;
// {8C1B4E62-0F3A-4D97-B5E8-2A6C9D0F7B41}: the class a stale registration names.
constexpr const wchar_t* kStaleClass = L"{8C1B4E62-0F3A-4D97-B5E8-2A6C9D0F7B41}";

std::vector<ThunderCall> calls;
bool refusesAddTask = false;

class Agent final : public NamesOnlyDispatch {
 public:
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return DISP_E_UNKNOWNNAME;
    std::wstring name = names[0];
    if (name == L"AddTask") ids[0] = kAddTask;
    else if (name == L"CommitTasks") ids[0] = kCommitTasks;
    else return DISP_E_UNKNOWNNAME;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    ThunderCall call;
    call.tick = GetTickCount();
    if (member == kAddTask) {
      call.method = L"AddTask";
      if (parameters->cArgs == 1) {
        const VARIANT& argument = parameters->rgvarg[0];
        if (argument.vt == VT_BSTR) call.argument = argument.bstrVal;
        if (argument.vt == (VT_BSTR | VT_BYREF)) call.argument = *argument.pbstrVal;
      }
    } else if (member == kCommitTasks) {
      call.method = L"CommitTasks";
    } else {
      return DISP_E_MEMBERNOTFOUND;
    }
    calls.push_back(call);
    if (result) VariantInit(result);
    return member == kAddTask && refusesAddTask ? E_FAIL : S_OK;
  }
};

}  // namespace

std::vector<ThunderCall>& ReceivedThunderCalls() { return calls; }

ThunderAgentRegistration::ThunderAgentRegistration(AddTask answer)
    : classObject(kThunderAgentClass, [] { return static_cast<IUnknown*>(new Agent); }) {
  calls.clear();
  refusesAddTask = answer == AddTask::Refused;
  progId.emplace(L"ThunderAgent.Agent", L"{3F7E2A90-5C1D-4B8E-A2F4-7C9D1E6B5A23}");
}

StaleThunderAgentRegistration::StaleThunderAgentRegistration() {
  const std::wstring server = std::wstring(L"CLSID\\") + kStaleClass + L"\\InprocServer32";
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, server.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    const std::wstring gone = L"C:\\Program Files\\Thunder Network\\Gone\\ThunderAgent.dll";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(gone.c_str()),
                   DWORD((gone.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Apartment"),
                   DWORD(sizeof L"Apartment"));
    RegCloseKey(key);
  }
  progId.emplace(L"ThunderAgent.Agent", kStaleClass);
}

StaleThunderAgentRegistration::~StaleThunderAgentRegistration() {
  progId.reset();
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kStaleClass).c_str());
}
