#pragma once
// System library functions bound by library and name at their first call.
// A library or function that cannot be found ends in the fatal report, unless
// it is bound as optional (one that older systems lack).
#include <windows.h>

#include <utility>

// The address of `name` in `library` ("#123" names an ordinal). Never returns
// null: a failed lookup releases the library and raises the fatal report.
FARPROC BindSystemFunction(const char* library, const char* name);

// The address of `name` in `library`, or null when either is missing; no report.
FARPROC FindSystemFunction(const char* library, const char* name);

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

// A function that some supported systems lack (GetDpiForWindow before
// Windows 10): looked up once, null where it is missing, so that the caller
// takes its fallback. Declared with the function's own signature.
template <typename FunctionPointer>
class OptionalSystemFunction {
 public:
  constexpr OptionalSystemFunction(const char* library, const char* name) : library(library), name(name) {}
  OptionalSystemFunction(const OptionalSystemFunction&) = delete;
  OptionalSystemFunction& operator=(const OptionalSystemFunction&) = delete;

  // Null when the system has no such function.
  FunctionPointer Address() const {
    if (!__atomic_load_n(&lookedUp, __ATOMIC_ACQUIRE)) {
      // Two threads may look up at once; both find the same answer.
      __atomic_store_n(&address, FindSystemFunction(library, name), __ATOMIC_RELAXED);
      __atomic_store_n(&lookedUp, true, __ATOMIC_RELEASE);
    }
    return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(__atomic_load_n(&address, __ATOMIC_RELAXED)));
  }

 private:
  const char* library;
  const char* name;
  mutable FARPROC address = nullptr;
  mutable bool lookedUp = false;
};
