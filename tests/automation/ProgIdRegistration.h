#pragma once
// A ProgID pointing at a class id, for as long as the holder lives: written
// under HKCU\Software\Classes and, where COM does not read those (Wine reads
// only the machine's classes), in the prefix's machine classes too, removed
// again at the end.
#include <string>

class ProgIdRegistration {
 public:
  // classId in braces.
  ProgIdRegistration(const wchar_t* progId, const wchar_t* classId);
  ~ProgIdRegistration();
  ProgIdRegistration(const ProgIdRegistration&) = delete;
  ProgIdRegistration& operator=(const ProgIdRegistration&) = delete;

 private:
  std::wstring progId;
  bool wroteMachineClasses = false;
};
