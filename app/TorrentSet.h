#pragma once
// The torrents a run has seen (app/TorrentKey.h), kept as their fingerprints
// only: 8 bytes a torrent in tables at most 3/4 full. The table is cut in 64
// parts by the fingerprint's top bits, each doubling on its own, so that a
// growth holds the old and the new of one part, not of the whole table, at
// once. Room is the site's to decide: a refusal is an answer, the set as it
// was. Platform-free; used on one thread.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/Text.h"

enum class TorrentSeen { New, Repeat, NoRoom };

class TorrentSet {
 public:
  // The fingerprints are keyed by `seed`, which the run picks.
  explicit TorrentSet(uint64_t seed) : seed(seed) {}

  // Whether the link's torrent was seen, adding it when not. NoRoom: it was
  // not, and the room to add it was refused; the set is as it was.
  [[nodiscard]] TorrentSeen Add(TextView link);
  [[nodiscard]] size_t Count() const { return count; }
  // The tables' bytes, for the memory figures.
  [[nodiscard]] size_t BytesHeld() const;

 private:
  static constexpr int kPartBits = 6;
  // Linear probing from the fingerprint's low bits; 0 marks an empty slot.
  struct Part {
    std::vector<uint64_t> slots;
    size_t count = 0;
  };

  [[nodiscard]] static bool Grow(Part& part);

  uint64_t seed;
  size_t count = 0;
  Part parts[size_t(1) << kPartBits];
};
