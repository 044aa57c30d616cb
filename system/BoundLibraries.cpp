#include "system/BoundLibraries.h"

namespace {

// Each binding loads its library once more; the counts are given back at the end.
constexpr LONG kMaxBindings = 256;
HMODULE boundLibraries[kMaxBindings];
LONG bindingCount = 0;

}  // namespace

void KeepBoundLibrary(HMODULE library) {
  LONG slot = InterlockedIncrement(&bindingCount) - 1;
  if (slot < kMaxBindings) boundLibraries[slot] = library;
}

void ReleaseBoundLibraries() {
  LONG count = InterlockedExchange(&bindingCount, 0);
  for (LONG slot = 0; slot < count && slot < kMaxBindings; ++slot) FreeLibrary(boundLibraries[slot]);
}
