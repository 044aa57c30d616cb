#pragma once
// The libraries loaded for functions bound by name, given back at the end.
// Below both the binding and the fatal report: the report's end releases them.
#include <windows.h>

// Keeps `library` (loaded once more for one binding) to be released at the end.
void KeepBoundLibrary(HMODULE library);

// Releases every library kept; part of the orderly end.
void ReleaseBoundLibraries();
