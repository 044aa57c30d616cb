#pragma once
// The stand-ins change a prefix's registry and its trusted roots: they are for
// Wine prefixes only, and refuse to run on a Windows system.
#include <windows.h>

// Looks up a function of a system library; null when either is missing.
using FunctionLookup = FARPROC (*)(const char* library, const char* name);

// True when ntdll exports wine_get_version, which only Wine's does.
[[nodiscard]] bool RunningUnderWine(FunctionLookup lookup);

// True under Wine; otherwise says so on stderr, naming the tool and what
// serves in Wine's stead, and returns false.
[[nodiscard]] bool RefuseOutsideWine(const char* tool, const char* instead, FunctionLookup lookup);
