#include "app/TorrentSet.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "system/Room.h"

namespace {

constexpr uint64_t kSeed = 0x0123456789ABCDEF;

// The link of torrent `number`, its info-hash in hex.
Text NumberedLink(unsigned number) {
  char link[80];
  std::snprintf(link, sizeof link, "magnet:?xt=urn:btih:%032x%08x&dn=%u", 0u, number, number);
  return link;
}

TEST(TorrentSet, ATorrentSeenAgainIsARepeatHoweverItsLinkSpellsIt) {
  TorrentSet torrents(kSeed);
  EXPECT_EQ(torrents.Add("magnet:?xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A&dn=a"), TorrentSeen::New);
  EXPECT_EQ(torrents.Add("magnet:?dn=b&xt=urn:btih:yex6dqdlxisuvhoj6um3gnnkpqjwpkek"), TorrentSeen::Repeat);
  EXPECT_EQ(torrents.Add("magnet:?dn=a"), TorrentSeen::New);
  EXPECT_EQ(torrents.Add("magnet:?dn=a"), TorrentSeen::Repeat);
  EXPECT_EQ(torrents.Add("magnet:?dn=b"), TorrentSeen::New);
  EXPECT_EQ(torrents.Count(), 3u);
}

// A growth asks for the room of one part of the table, never of the whole
// table: its old and new arrays are held together only for that part.
TEST(TorrentSet, AMillionTorrentsKeepEveryMemberInAtMost24BytesEach) {
  constexpr unsigned kTorrents = 1000000;
  constexpr size_t kLargestPartBytes = 32768 * sizeof(uint64_t);  // 15,625 a part at most 3/4 full
  TorrentSet torrents(kSeed);
  LimitRoomForTests(kLargestPartBytes);
  unsigned refused = 0;
  for (unsigned number = 0; number < kTorrents; ++number)
    refused += torrents.Add(NumberedLink(number)) != TorrentSeen::New;
  LimitRoomForTests(0);
  EXPECT_EQ(refused, 0u);
  EXPECT_EQ(torrents.Count(), kTorrents);
  EXPECT_LE(torrents.BytesHeld(), 24u * kTorrents);
  std::printf("%u torrents: %lu bytes, %.1f a torrent\n", kTorrents, static_cast<unsigned long>(torrents.BytesHeld()),
              double(torrents.BytesHeld()) / kTorrents);
  unsigned repeats = 0;
  for (unsigned number = 0; number < kTorrents; ++number)
    repeats += torrents.Add(NumberedLink(number)) == TorrentSeen::Repeat;
  EXPECT_EQ(repeats, kTorrents);
  EXPECT_EQ(torrents.Count(), kTorrents);
}

TEST(TorrentSet, RefusedRoomLeavesTheSetAsItWasAndUsable) {
  TorrentSet torrents(kSeed);
  LimitRoomForTests(8 * sizeof(uint64_t));  // each part's first table, never a second
  unsigned number = 0;
  // 64 parts of 6 at the most; a bound, should the limit not reach the set.
  while (number < 1000 && torrents.Add(NumberedLink(number)) == TorrentSeen::New) ++number;
  const size_t count = torrents.Count();
  const size_t bytes = torrents.BytesHeld();
  EXPECT_EQ(count, number);
  EXPECT_EQ(torrents.Add(NumberedLink(number)), TorrentSeen::NoRoom);
  EXPECT_EQ(torrents.Count(), count);
  EXPECT_EQ(torrents.BytesHeld(), bytes);
  // What the set holds is still found without room.
  for (unsigned held = 0; held < number; ++held) EXPECT_EQ(torrents.Add(NumberedLink(held)), TorrentSeen::Repeat);
  LimitRoomForTests(0);
  EXPECT_EQ(torrents.Add(NumberedLink(number)), TorrentSeen::New);
  EXPECT_EQ(torrents.Add(NumberedLink(number)), TorrentSeen::Repeat);
  for (unsigned held = 0; held < number; ++held) EXPECT_EQ(torrents.Add(NumberedLink(held)), TorrentSeen::Repeat);
  EXPECT_EQ(torrents.Count(), count + 1);
}

}  // namespace
