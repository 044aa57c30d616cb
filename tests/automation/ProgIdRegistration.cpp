#include "tests/automation/ProgIdRegistration.h"

#include <windows.h>
#include <objbase.h>

#include <cwchar>

namespace {

void WriteProgId(HKEY root, const std::wstring& keyName, const wchar_t* classId) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, (keyName + L"\\CLSID").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(classId),
                 DWORD((std::wcslen(classId) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void DeleteProgId(HKEY root, const std::wstring& keyName) {
  RegDeleteKeyW(root, (keyName + L"\\CLSID").c_str());
  RegDeleteKeyW(root, keyName.c_str());
}

std::wstring UserClassesKey(const std::wstring& progId) { return L"Software\\Classes\\" + progId; }

}  // namespace

ProgIdRegistration::ProgIdRegistration(const wchar_t* progId, const wchar_t* classId) : progId(progId) {
  WriteProgId(HKEY_CURRENT_USER, UserClassesKey(this->progId), classId);
  CLSID found;
  if (FAILED(CLSIDFromProgID(progId, &found))) {
    WriteProgId(HKEY_CLASSES_ROOT, this->progId, classId);
    wroteMachineClasses = true;
  }
}

ProgIdRegistration::~ProgIdRegistration() {
  if (wroteMachineClasses) DeleteProgId(HKEY_CLASSES_ROOT, progId);
  DeleteProgId(HKEY_CURRENT_USER, UserClassesKey(progId));
}
