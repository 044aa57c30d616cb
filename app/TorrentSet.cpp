#include "app/TorrentSet.h"

#include "app/TorrentKey.h"
#include "system/Room.h"

namespace {

constexpr uint64_t kEmptySlot = 0;
constexpr size_t kFirstPartSlots = 8;

// The slot holding `fingerprint`, or the empty one where it would go.
size_t SlotFor(const std::vector<uint64_t>& slots, uint64_t fingerprint) {
  const size_t mask = slots.size() - 1;
  size_t slot = size_t(fingerprint) & mask;
  while (slots[slot] != kEmptySlot && slots[slot] != fingerprint) slot = (slot + 1) & mask;
  return slot;
}

}  // namespace

TorrentSeen TorrentSet::Add(TextView link) {
  uint64_t fingerprint = TorrentFingerprint(ReadTorrentKey(link), seed);
  // One fingerprint in 2^64 shares its slot value with another.
  if (fingerprint == kEmptySlot) fingerprint = 1;
  Part& part = parts[fingerprint >> (64 - kPartBits)];
  if (!part.slots.empty() && part.slots[SlotFor(part.slots, fingerprint)] == fingerprint) return TorrentSeen::Repeat;
  if (4 * (part.count + 1) > 3 * part.slots.size() && !Grow(part)) return TorrentSeen::NoRoom;
  part.slots[SlotFor(part.slots, fingerprint)] = fingerprint;
  ++part.count;
  ++count;
  return TorrentSeen::New;
}

size_t TorrentSet::BytesHeld() const {
  size_t bytes = 0;
  for (const Part& part : parts) bytes += part.slots.capacity() * sizeof(uint64_t);
  return bytes;
}

bool TorrentSet::Grow(Part& part) {
  const size_t size = part.slots.empty() ? kFirstPartSlots : 2 * part.slots.size();
  std::vector<uint64_t> grown;
  if (!ReserveRoom(grown, size)) return false;
  grown.resize(size, kEmptySlot);
  for (const uint64_t fingerprint : part.slots)
    if (fingerprint != kEmptySlot) grown[SlotFor(grown, fingerprint)] = fingerprint;
  part.slots.swap(grown);
  return true;
}
