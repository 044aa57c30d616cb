#include "tests/app/ProcessCounters.h"

#include <winsock2.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <map>
#include <vector>

#include "system/Holders.h"
#include "system/SystemFunction.h"

namespace {

SystemFunction<decltype(&::K32GetProcessMemoryInfo)> getProcessMemoryInfo{"kernel32.dll",
                                                                         "K32GetProcessMemoryInfo"};
SystemFunction<decltype(&::NtQuerySystemInformation)> querySystemInformation{"ntdll.dll",
                                                                            "NtQuerySystemInformation"};
SystemFunction<decltype(&::NtQueryObject)> queryObject{"ntdll.dll", "NtQueryObject"};
SystemFunction<decltype(&::NtQueryInformationProcess)> queryInformationProcess{"ntdll.dll",
                                                                              "NtQueryInformationProcess"};

DWORD ThreadCount() {
  KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (snapshot.Get() == INVALID_HANDLE_VALUE) {
    (void)snapshot.Release();
    return 0;
  }
  DWORD count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL found = Thread32First(snapshot.Get(), &entry); found; found = Thread32Next(snapshot.Get(), &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  return count;
}

bool IsSocket(HANDLE handle) {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  int type = 0;
  int length = sizeof type;
  return started && getsockopt(SOCKET(handle), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length) == 0;
}

std::string TypeOf(HANDLE handle) {
  alignas(8) char information[512] = {};
  if (queryObject(handle, ObjectTypeInformation, information, ULONG(sizeof information), nullptr) < 0) return "?";
  const UNICODE_STRING& name = *reinterpret_cast<const UNICODE_STRING*>(information);
  std::string text;
  for (USHORT index = 0; index < name.Length / 2; ++index) text += char(name.Buffer[index]);
  return text;
}

// The process's entries in the system's handle list (SystemHandleInformation),
// split into sockets and the rest, with a count of each type when asked.
void CountHandleList(DWORD& handles, DWORD& sockets, std::map<std::string, int>* types = nullptr) {
  struct HandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  constexpr SYSTEM_INFORMATION_CLASS kSystemHandleInformation = SYSTEM_INFORMATION_CLASS(16);
  constexpr NTSTATUS kLengthMismatch = NTSTATUS(0xC0000004L);
  std::vector<char> buffer(1 << 16);
  NTSTATUS status;
  ULONG needed = 0;
  while ((status = querySystemInformation(kSystemHandleInformation, buffer.data(), ULONG(buffer.size()),
                                          &needed)) == kLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status < 0) return;
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const HandleEntry* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
  for (ULONG index = 0; index < count; ++index) {
    if (entries[index].processId != GetCurrentProcessId()) continue;
    ++handles;
    const HANDLE handle = reinterpret_cast<HANDLE>(ULONG_PTR(entries[index].handle));
    const bool socket = IsSocket(handle);
    if (socket) ++sockets;
    if (types) ++(*types)[socket ? "socket" : TypeOf(handle)];
  }
}

// The used entries of the process's GDI handle table (the PEB's
// GdiSharedHandleTable), for systems whose GetGuiResources answers 0 (Wine 8,
// whose table is the process's own).
DWORD GdiTableCount() {
  struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
  };
  constexpr int kGdiHandleCount = 0x10000;
  constexpr size_t kGdiTableOffset = 0x94;  // in the 32-bit PEB
  PROCESS_BASIC_INFORMATION basic = {};
  if (queryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, ULONG(sizeof basic), nullptr) < 0)
    return 0;
  const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
  const GdiHandleEntry* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kGdiTableOffset);
  if (!table) return 0;
  DWORD used = 0;
  for (int index = 0; index < kGdiHandleCount; ++index)
    if (table[index].type != 0) ++used;
  return used;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM parameter) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == GetCurrentProcessId()) {
    ++*reinterpret_cast<DWORD*>(parameter);
    EnumChildWindows(window, CountWindow, parameter);
  }
  return TRUE;
}

// The process's windows, top-level, child and message-only: the USER objects
// that come and go with a run, for systems whose GetGuiResources answers 0.
DWORD WindowCount() {
  DWORD count = 0;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
    CountWindow(window, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace

ULONG HandlesToObjectOf(HANDLE handle) {
  PUBLIC_OBJECT_BASIC_INFORMATION basic = {};
  if (queryObject(handle, ObjectBasicInformation, &basic, ULONG(sizeof basic), nullptr) < 0) return 0;
  return basic.HandleCount;
}

ProcessCounters CurrentCounters() {
  ProcessCounters counters;
  // The snapshot's own handle is closed before the handles are counted.
  counters.threads = ThreadCount();
  DWORD listed = 0;
  CountHandleList(listed, counters.sockets);
  // Wine 8 answers 0 here; its handle list is complete.
  if (!GetProcessHandleCount(GetCurrentProcess(), &counters.handles) || counters.handles == 0)
    counters.handles = listed;
  counters.handles -= counters.sockets;
  counters.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (counters.gdiObjects == 0) counters.gdiObjects = GdiTableCount();
  counters.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (counters.userObjects == 0) counters.userObjects = WindowCount();
  return counters;
}

bool NoneAbove(const ProcessCounters& now, const ProcessCounters& baseline) {
  return now.handles <= baseline.handles && now.gdiObjects <= baseline.gdiObjects &&
         now.userObjects <= baseline.userObjects && now.threads <= baseline.threads;
}

std::string Describe(const ProcessCounters& counters) {
  return "handles " + std::to_string(counters.handles) + " + sockets " + std::to_string(counters.sockets) +
         ", GDI " + std::to_string(counters.gdiObjects) +
         ", USER " + std::to_string(counters.userObjects) + ", threads " + std::to_string(counters.threads);
}

ProcessMemory CurrentMemory() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  ProcessMemory memory;
  if (!getProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            DWORD(sizeof counters)))
    return memory;
  memory.workingSet = counters.WorkingSetSize;
  // Wine 8 leaves PrivateUsage 0; the commit charge (PagefileUsage) is the same figure on Windows.
  memory.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  return memory;
}


AddressSpace CurrentAddressSpace() {
  AddressSpace space;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  auto* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
  MEMORY_BASIC_INFORMATION region;
  while (at < system.lpMaximumApplicationAddress && VirtualQuery(at, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_FREE) {
      if (region.RegionSize > space.largestFree) space.largestFree = region.RegionSize;
    } else {
      space.taken += region.RegionSize;
    }
    at = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
  }
  return space;
}

std::string HandleTypes() {
  DWORD handles = 0, sockets = 0;
  std::map<std::string, int> types;
  CountHandleList(handles, sockets, &types);
  std::string text;
  for (const auto& type : types) text += type.first + " " + std::to_string(type.second) + "; ";
  return text;
}
