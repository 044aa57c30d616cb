#pragma once
// Which torrent a listed link names, so that a run lists each torrent once.
// The link is the site's text (code page 936 bytes, any bytes, any length)
// and is read without allocating: it is read for every entry of a search.
// Platform-free.
#include <cstdint>

#include "text/Text.h"

enum class TorrentNaming { InfoHash, Multihash, WholeLink };

// What names the torrent: the key's text is a view into the link read.
struct TorrentKey {
  TorrentNaming naming = TorrentNaming::WholeLink;
  unsigned char infoHash[20] = {};  // InfoHash: the 20 bytes
  TextView text;                    // Multihash: the value as written; WholeLink: the link
};

// The parameters are the "&"-separated pieces after the link's first "?";
// an "xt" one ("xt.1" and other numbered names too, letters in any case)
// names the torrent. The first "urn:btih:" value of 40 hex digits or of 32
// base32 characters (A-Z, 2-7), letters in any case, gives the info-hash;
// else the first non-empty "urn:btmh:" value names it as written; else the
// whole link does.
[[nodiscard]] TorrentKey ReadTorrentKey(TextView link);

// Two keys name the same torrent.
[[nodiscard]] bool SameTorrent(const TorrentKey& one, const TorrentKey& other);

// 64 bits of the key, keyed by `seed` (SipHash-1-3): a run picks its own seed,
// so that a site cannot choose links whose fingerprints collide. Keys that
// name the same torrent have the same fingerprint.
[[nodiscard]] uint64_t TorrentFingerprint(const TorrentKey& key, uint64_t seed);
