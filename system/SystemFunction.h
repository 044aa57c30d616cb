#pragma once
// System library functions bound by library and name at their first call.
// A library or function that cannot be found ends in the fatal report.
#include <windows.h>

#include <utility>

// The address of `name` in `library` ("#123" names an ordinal). Never returns
// null: a failed lookup releases the library and raises the fatal report.
FARPROC BindSystemFunction(const char* library, const char* name);

// Releases every library loaded by BindSystemFunction; part of the orderly end.
void ReleaseBoundLibraries();

// Declared with the SDK's own signature, e.g.
//   SystemFunction<decltype(&::CreateThread)> createThread{"kernel32.dll", "CreateThread"};
template <typename FunctionPointer>
class SystemFunction {
 public:
  constexpr SystemFunction(const char* library, const char* name) : library(library), name(name) {}
  SystemFunction(const SystemFunction&) = delete;
  SystemFunction& operator=(const SystemFunction&) = delete;

  template <typename... Arguments>
  auto operator()(Arguments&&... arguments) const {
    return Address()(std::forward<Arguments>(arguments)...);
  }

  FunctionPointer Address() const {
    FARPROC bound = __atomic_load_n(&address, __ATOMIC_ACQUIRE);
    if (!bound) {
      // Two threads may bind at once; both get the same address.
      bound = BindSystemFunction(library, name);
      __atomic_store_n(&address, bound, __ATOMIC_RELEASE);
    }
    return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(bound));
  }

 private:
  const char* library;
  const char* name;
  mutable FARPROC address = nullptr;
};
