#include "system/SystemFunction.h"

#include <cstdio>
#include <cstdlib>

#include "system/BoundLibraries.h"
#include "system/FatalError.h"

namespace {

[[noreturn]] void NotFound(const char* library, const char* name) {
  char message[512];
  if (library && *library)
    std::snprintf(message, sizeof message, "无法找到指定DLL库文件“%s”中的输出命令“%s”", library, name);
  else
    std::snprintf(message, sizeof message, "无法找到指定DLL库文件中的输出命令“%s”", name);
  FatalError(kNoErrorCode, message);
}

}  // namespace

FARPROC FindSystemFunction(const char* library, const char* name) {
  HMODULE module = library && *library ? LoadLibraryA(library) : nullptr;
  if (!module) return nullptr;
  const char* procedure = name;
  if (name[0] == '#') procedure = MAKEINTRESOURCEA(std::strtoul(name + 1, nullptr, 10));
  FARPROC address = GetProcAddress(module, procedure);
  if (!address) {
    FreeLibrary(module);
    return nullptr;
  }
  KeepBoundLibrary(module);
  return address;
}

FARPROC BindSystemFunction(const char* library, const char* name) {
  FARPROC address = FindSystemFunction(library, name);
  if (!address) NotFound(library, name);
  return address;
}
