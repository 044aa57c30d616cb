// Every text, array and record of the program comes from the process heap; an
// allocation the heap refuses ends in the fatal report instead of a throw,
// unless it is room that was set aside for it (system/Room.h).
#include <windows.h>

#include <cstdio>
#include <new>

#include "system/FatalError.h"
#include "system/Room.h"

namespace {

void* Allocate(size_t bytes) {
  if (void* setAside = TakeRoomSetAside(bytes)) return setAside;
  void* block = HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1);
  if (!block) {
    char message[64];
    std::snprintf(message, sizeof message, "分配 %u 字节内存失败!", unsigned(bytes));
    FatalError(kNoErrorCode, message);
  }
  return block;
}

void Free(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void* operator new(size_t bytes) { return Allocate(bytes); }
void* operator new[](size_t bytes) { return Allocate(bytes); }
void* operator new(size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, size_t) noexcept { Free(block); }
void operator delete[](void* block, size_t) noexcept { Free(block); }
