#pragma once
// Room of a size that the input decides (a page and its copies, a copy of
// every row): a refusal is an answer the caller handles, never the fatal
// report, which stays for the program's own small allocations. A container
// gets such room through ReserveRoom; a block of another allocator (global
// memory, the automation runtime's strings) asks RoomAllowed first, so that
// a test's limit reaches it too. Platform-free: in the native build the
// room is reserved as usual and only a test's limit refuses it.
#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

// For tests: every request for room of more than `bytes` is refused (0: only
// the system refuses).
inline std::atomic<size_t> roomLimitForTests{0};
inline void LimitRoomForTests(size_t bytes) { roomLimitForTests.store(bytes); }

// False when a test's limit refuses room of `bytes`.
[[nodiscard]] inline bool RoomAllowed(size_t bytes) {
  const size_t limit = roomLimitForTests.load(std::memory_order_relaxed);
  return limit == 0 || bytes <= limit;
}

#ifdef _WIN32
// Takes a block of `bytes` from the process heap and sets it aside for the
// calling thread's next allocation of at most that size; false when the heap
// or a test's limit refuses it.
[[nodiscard]] bool SetRoomAside(size_t bytes);
// Frees the block set aside when no allocation took it.
void ReleaseRoomSetAside();
// For the program's operator new: the block set aside when it holds
// `bytes` (it is taken), else null.
[[nodiscard]] void* TakeRoomSetAside(size_t bytes);
#else
[[nodiscard]] inline bool SetRoomAside(size_t bytes) { return RoomAllowed(bytes); }
inline void ReleaseRoomSetAside() {}
#endif

namespace room {

// The elements reserve(count) allocates: a string doubles a capacity that
// the request does not reach twice over, and keeps room for its zero.
template <typename Character, typename Traits, typename Allocator>
size_t ElementsAsked(const std::basic_string<Character, Traits, Allocator>& text, size_t count) {
  return (count < 2 * text.capacity() ? 2 * text.capacity() : count) + 1;
}
template <typename Element, typename Allocator>
size_t ElementsAsked(const std::vector<Element, Allocator>&, size_t count) {
  return count;
}

}  // namespace room

// Capacity for `count` elements in `container`, or false (the container
// unchanged) when that room is refused. The allocation that grows it takes
// the block set aside, so a room granted cannot end in the fatal report.
template <typename Container>
[[nodiscard]] bool ReserveRoom(Container& container, size_t count) {
  if (count <= container.capacity()) return true;
  if (count >= container.max_size() / 2) return false;
  const size_t elements = room::ElementsAsked(container, count);
  if (elements > size_t(-1) / sizeof(typename Container::value_type)) return false;
  if (!SetRoomAside(elements * sizeof(typename Container::value_type))) return false;
  container.reserve(count);
  ReleaseRoomSetAside();
  return true;
}
