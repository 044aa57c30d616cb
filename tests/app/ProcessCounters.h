#pragma once
// What the current process holds, for tests that check nothing is left over.
#include <windows.h>

#include <cstddef>
#include <string>

struct ProcessCounters {
  DWORD handles = 0;      // kernel handles but sockets (GetProcessHandleCount)
  DWORD sockets = 0;      // WinHttp keeps closed connections' sockets for 30 s
  DWORD gdiObjects = 0;   // GetGuiResources(GR_GDIOBJECTS)
  DWORD userObjects = 0;  // GetGuiResources(GR_USEROBJECTS)
  DWORD threads = 0;      // threads of the process, this one included
};

[[nodiscard]] ProcessCounters CurrentCounters();
// True when no counter is above the baseline's (sockets aside).
[[nodiscard]] bool NoneAbove(const ProcessCounters& now, const ProcessCounters& baseline);
[[nodiscard]] std::string Describe(const ProcessCounters& counters);
// The process's handles by type ("Event 3; File 9; ..."), for failure messages.
[[nodiscard]] std::string HandleTypes();
// How many handles of the process lead to the object `handle` leads to
// (`handle` itself included), or 0 when the system does not say.
[[nodiscard]] ULONG HandlesToObjectOf(HANDLE handle);

struct ProcessMemory {
  size_t workingSet = 0;    // bytes
  size_t privateBytes = 0;  // bytes committed for the process alone
};

[[nodiscard]] ProcessMemory CurrentMemory();

// The process's address space as its own walk of it finds it (VirtualQuery):
// the bytes reserved or committed, and the largest free range, where the
// next large block must fit.
struct AddressSpace {
  size_t taken = 0;
  size_t largestFree = 0;
};
[[nodiscard]] AddressSpace CurrentAddressSpace();
