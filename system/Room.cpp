#include "system/Room.h"

#include <windows.h>

namespace {

// The calling thread's block set aside, until an allocation takes it.
struct RoomSetAside {
  void* block;
  size_t bytes;
};
thread_local RoomSetAside roomSetAside = {nullptr, 0};

}  // namespace

bool SetRoomAside(size_t bytes) {
  ReleaseRoomSetAside();
  if (!RoomAllowed(bytes)) return false;
  void* block = HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1);
  if (!block) return false;
  roomSetAside = {block, bytes};
  return true;
}

void ReleaseRoomSetAside() {
  if (roomSetAside.block) HeapFree(GetProcessHeap(), 0, roomSetAside.block);
  roomSetAside = {nullptr, 0};
}

void* TakeRoomSetAside(size_t bytes) {
  if (!roomSetAside.block || bytes > roomSetAside.bytes) return nullptr;
  void* block = roomSetAside.block;
  roomSetAside = {nullptr, 0};
  return block;
}
