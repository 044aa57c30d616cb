#include "wine/WineOnly/WineOnly.h"

#include <cstdio>

bool RunningUnderWine(FunctionLookup lookup) { return lookup("ntdll.dll", "wine_get_version") != nullptr; }

bool RefuseOutsideWine(const char* tool, const char* instead, FunctionLookup lookup) {
  if (RunningUnderWine(lookup)) return true;
  std::fprintf(stderr, "%s: this is not Wine; %s.\n", tool, instead);
  return false;
}
