#include "app/TorrentKey.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// One info-hash in its four spellings.
constexpr TextView kHexUpper = "C12FE1C06BBA254A9DC9F519B335AA7C1367A88A";
constexpr TextView kHexLower = "c12fe1c06bba254a9dc9f519b335aa7c1367a88a";
constexpr TextView kBase32Upper = "YEX6DQDLXISUVHOJ6UM3GNNKPQJWPKEK";
constexpr TextView kBase32Lower = "yex6dqdlxisuvhoj6um3gnnkpqjwpkek";
constexpr unsigned char kInfoHash[20] = {0xC1, 0x2F, 0xE1, 0xC0, 0x6B, 0xBA, 0x25, 0x4A, 0x9D, 0xC9,
                                         0xF5, 0x19, 0xB3, 0x35, 0xAA, 0x7C, 0x13, 0x67, 0xA8, 0x8A};
constexpr uint64_t kSeed = 0x5EED5EED12345678;

Text InfoHashLink(TextView value, TextView before = "", TextView after = "&dn=a") {
  return "magnet:?" + Text(before) + "xt=urn:btih:" + Text(value) + Text(after);
}

bool HoldsTheInfoHash(const TorrentKey& key) {
  return key.naming == TorrentNaming::InfoHash && std::memcmp(key.infoHash, kInfoHash, sizeof kInfoHash) == 0;
}

TEST(TorrentKey, HexAndBase32InAnyLetterCaseReadAsTheSameInfoHash) {
  const Text links[] = {InfoHashLink(kHexUpper), InfoHashLink(kHexLower), InfoHashLink(kBase32Upper),
                        InfoHashLink(kBase32Lower), InfoHashLink("C12fe1c06bba254a9dc9f519b335aa7c1367a88A", "tr=x&"),
                        "MAGNET:?XT=URN:BTIH:" + Text(kBase32Upper), "magnet:?xt=uRn:BtIh:" + Text(kHexLower) + "&"};
  const TorrentKey first = ReadTorrentKey(links[0]);
  for (const Text& link : links) {
    const TorrentKey key = ReadTorrentKey(link);
    EXPECT_TRUE(HoldsTheInfoHash(key)) << link;
    EXPECT_TRUE(SameTorrent(key, first)) << link;
    EXPECT_EQ(TorrentFingerprint(key, kSeed), TorrentFingerprint(first, kSeed)) << link;
  }
  EXPECT_FALSE(SameTorrent(first, ReadTorrentKey(InfoHashLink("C12FE1C06BBA254A9DC9F519B335AA7C1367A88B"))));
}

TEST(TorrentKey, AMultihashIsComparedAsWritten) {
  const TorrentKey key = ReadTorrentKey("magnet:?dn=a&xt=urn:btmh:1220AbC&tr=x");
  EXPECT_EQ(key.naming, TorrentNaming::Multihash);
  EXPECT_EQ(key.text, "1220AbC");
  EXPECT_TRUE(SameTorrent(key, ReadTorrentKey("magnet:?XT=URN:BTMH:1220AbC")));
  EXPECT_FALSE(SameTorrent(key, ReadTorrentKey("magnet:?xt=urn:btmh:1220abc")));
  EXPECT_FALSE(SameTorrent(key, ReadTorrentKey("magnet:?xt=urn:btmh:1220AbC0")));
  // The first one counts; an empty one names nothing.
  EXPECT_EQ(ReadTorrentKey("magnet:?xt=urn:btmh:&xt.1=urn:btmh:12&xt.2=urn:btmh:34").text, "12");
  EXPECT_EQ(ReadTorrentKey("magnet:?xt=urn:btmh:").naming, TorrentNaming::WholeLink);
}

TEST(TorrentKey, TheFirstUsableInfoHashWinsOverEveryMultihash) {
  EXPECT_TRUE(HoldsTheInfoHash(ReadTorrentKey(InfoHashLink(kHexUpper, "xt=urn:btmh:1220ab&"))));
  EXPECT_TRUE(HoldsTheInfoHash(ReadTorrentKey(InfoHashLink(kBase32Lower, "", "&xt.2=urn:btih:" + Text(40, 'a')))));
  const TorrentKey numbered = ReadTorrentKey("magnet:?xt.1=urn:btih:" + Text(39, 'a') +
                                             "&xt.2=urn:btmh:12&Xt.10=urn:btih:" + Text(kHexLower) +
                                             "&xt.3=urn:btih:" + Text(40, 'a'));
  EXPECT_TRUE(HoldsTheInfoHash(numbered));
}

TEST(TorrentKey, WithoutAUsableTopicTheWholeLinkNamesTheTorrent) {
  const TextView links[] = {
      "", "magnet:?dn=a&tr=b", "http://site.test/a.torrent",
      // No parameters without a "?".
      "magnet:xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      // An "xt" inside a value, or a name that only begins or ends with "xt".
      "magnet:?dn=xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      "magnet:?dn=a?xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      "magnet:?xtx=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      "magnet:?axt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      "magnet:?xt.=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      "magnet:?xt.1a=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      "magnet:?xt:urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      "magnet:?xt=urn:sha1:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
      // Values of the wrong length or with a digit outside their alphabet.
      "magnet:?xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88",
      "magnet:?xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88AA",
      "magnet:?xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88G",
      "magnet:?xt=urn:btih:YEX6DQDLXISUVHOJ6UM3GNNKPQJWPKE",
      "magnet:?xt=urn:btih:YEX6DQDLXISUVHOJ6UM3GNNKPQJWPKEKA",
      "magnet:?xt=urn:btih:YEX6DQDLXISUVHOJ6UM3GNNKPQJWPKE1",
      "magnet:?xt=urn:btih:YEX6DQDLXISUVHOJ6UM3GNNKPQJWPKE8",
      "magnet:?xt=urn:btih:YEX6DQDLXISUVHOJ6UM3GNNKPQJWPKE=",
      "magnet:?xt=urn:btih:C12FE1C06BBA254A9DC9F519B335AA7C1367A88A#x",
      "magnet:?xt=urn:btih: C12FE1C06BBA254A9DC9F519B335AA7C1367A88A",
  };
  for (const TextView link : links) {
    const TorrentKey key = ReadTorrentKey(link);
    EXPECT_EQ(key.naming, TorrentNaming::WholeLink) << link;
    EXPECT_EQ(key.text, link);
  }
  EXPECT_FALSE(SameTorrent(ReadTorrentKey("magnet:?dn=a"), ReadTorrentKey("magnet:?dn=A")));
}

TEST(TorrentKey, EveryAmpersandEndsAParameterWhateverBytesSurroundIt) {
  // "\xD6\xD0" is 中; "\xD6" alone is a lead byte whose character is cut off by "&".
  EXPECT_TRUE(HoldsTheInfoHash(ReadTorrentKey(InfoHashLink(kHexLower, "dn=\xD6\xD0&&", "&"))));
  EXPECT_TRUE(HoldsTheInfoHash(ReadTorrentKey(InfoHashLink(kHexLower, "dn=\xD6&", "&dn=\xD6"))));
  EXPECT_TRUE(HoldsTheInfoHash(ReadTorrentKey(InfoHashLink(kHexLower, "\xFF\x80\x01&", "&\xFF"))));
  EXPECT_TRUE(HoldsTheInfoHash(ReadTorrentKey(InfoHashLink(kHexLower, Text("\0&", 2), Text("&\0", 2)))));
  // A byte of the value that is no digit makes it no info-hash.
  EXPECT_EQ(ReadTorrentKey(InfoHashLink(kHexLower, "", "\xD6\xD0")).naming, TorrentNaming::WholeLink);
  EXPECT_EQ(ReadTorrentKey(InfoHashLink(kHexLower.substr(1), "", Text("\0", 1))).naming, TorrentNaming::WholeLink);
  EXPECT_EQ(ReadTorrentKey(Text(1 << 20, '&')).naming, TorrentNaming::WholeLink);
  EXPECT_EQ(ReadTorrentKey("?" + Text(1 << 20, '&')).naming, TorrentNaming::WholeLink);
}

TEST(TorrentKey, TheFingerprintFollowsTheSeedAndTheNaming) {
  const TorrentKey infoHash = ReadTorrentKey(InfoHashLink(kHexUpper));
  EXPECT_NE(TorrentFingerprint(infoHash, kSeed), TorrentFingerprint(infoHash, kSeed + 1));
  // The same text as a multihash and as a whole link names two torrents.
  const TorrentKey multihash = ReadTorrentKey("magnet:?xt=urn:btmh:1220ab");
  TorrentKey wholeLink;
  wholeLink.text = multihash.text;
  EXPECT_FALSE(SameTorrent(multihash, wholeLink));
  EXPECT_NE(TorrentFingerprint(multihash, kSeed), TorrentFingerprint(wholeLink, kSeed));
  // Every byte of a long text counts, the last one too.
  const Text longText(1003, 'x');
  TorrentKey longLink, otherLongLink;
  longLink.text = longText;
  const Text otherLongText = longText.substr(0, 1002) + "y";
  otherLongLink.text = otherLongText;
  EXPECT_NE(TorrentFingerprint(longLink, kSeed), TorrentFingerprint(otherLongLink, kSeed));
}

}  // namespace
