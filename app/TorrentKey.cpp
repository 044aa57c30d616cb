#include "app/TorrentKey.h"

#include <cstring>

namespace {

constexpr TextView kInfoHashPrefix = "urn:btih:";
constexpr TextView kMultihashPrefix = "urn:btmh:";
constexpr size_t kInfoHashBytes = sizeof TorrentKey{}.infoHash;

char FoldedAscii(char byte) { return byte >= 'A' && byte <= 'Z' ? char(byte + ('a' - 'A')) : byte; }

// `prefix` is in lower case.
bool StartsWithAnyCase(TextView text, TextView prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t at = 0; at < prefix.size(); ++at)
    if (FoldedAscii(text[at]) != prefix[at]) return false;
  return true;
}

// "xt", or a numbered one such as "xt.1".
bool NamesExactTopic(TextView name) {
  if (!StartsWithAnyCase(name, "xt")) return false;
  if (name.size() == 2) return true;
  if (name.size() == 3 || name[2] != '.') return false;
  for (const char digit : name.substr(3))
    if (digit < '0' || digit > '9') return false;
  return true;
}

int HexDigitValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  const char letter = FoldedAscii(digit);
  return letter >= 'a' && letter <= 'f' ? letter - 'a' + 10 : -1;
}

int Base32DigitValue(char digit) {
  const char letter = FoldedAscii(digit);
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  return digit >= '2' && digit <= '7' ? digit - '2' + 26 : -1;
}

bool ReadHexInfoHash(TextView value, unsigned char (&bytes)[kInfoHashBytes]) {
  if (value.size() != 2 * kInfoHashBytes) return false;
  for (size_t index = 0; index < kInfoHashBytes; ++index) {
    const int high = HexDigitValue(value[2 * index]);
    const int low = HexDigitValue(value[2 * index + 1]);
    if (high < 0 || low < 0) return false;
    bytes[index] = static_cast<unsigned char>(high << 4 | low);
  }
  return true;
}

// 32 characters of five bits each are the 160 bits, high bits first.
bool ReadBase32InfoHash(TextView value, unsigned char (&bytes)[kInfoHashBytes]) {
  if (value.size() != kInfoHashBytes * 8 / 5) return false;
  unsigned bits = 0;
  int bitCount = 0;
  size_t index = 0;
  for (const char digit : value) {
    const int digitValue = Base32DigitValue(digit);
    if (digitValue < 0) return false;
    bits = bits << 5 | unsigned(digitValue);
    bitCount += 5;
    if (bitCount >= 8) {
      bitCount -= 8;
      bytes[index++] = static_cast<unsigned char>(bits >> bitCount & 0xFF);
    }
  }
  return true;
}

// The key's bytes stay as they were unless the whole value reads.
bool ReadInfoHash(TextView value, TorrentKey& key) {
  unsigned char bytes[kInfoHashBytes];
  if (!ReadHexInfoHash(value, bytes) && !ReadBase32InfoHash(value, bytes)) return false;
  std::memcpy(key.infoHash, bytes, sizeof bytes);
  return true;
}

// SipHash-1-3 of the naming as a little-endian word, then the bytes.
class FingerprintHash {
 public:
  FingerprintHash(uint64_t seed, uint64_t firstWord)
      : v0(seed ^ 0x736F6D6570736575), v1(SecondKey(seed) ^ 0x646F72616E646F6D),
        v2(seed ^ 0x6C7967656E657261), v3(SecondKey(seed) ^ 0x7465646279746573) {
    Absorb(firstWord);
  }

  uint64_t Finish(const unsigned char* bytes, size_t size) {
    size_t at = 0;
    for (; size - at >= 8; at += 8) Absorb(Word(bytes + at, 8));
    Absorb(uint64_t(size + 8) << 56 | Word(bytes + at, size - at));
    v2 ^= 0xFF;
    for (int round = 0; round < 3; ++round) Round();
    return v0 ^ v1 ^ v2 ^ v3;
  }

 private:
  // The seed is the first half of SipHash's key; the second half is made
  // from it, so that the two are not one value.
  static uint64_t SecondKey(uint64_t seed) { return seed ^ 0x9E3779B97F4A7C15; }

  static uint64_t Word(const unsigned char* bytes, size_t count) {
    uint64_t word = 0;
    for (size_t index = 0; index < count; ++index) word |= uint64_t(bytes[index]) << (8 * index);
    return word;
  }

  static uint64_t Rotated(uint64_t word, int bits) { return word << bits | word >> (64 - bits); }

  void Round() {
    v0 += v1;
    v1 = Rotated(v1, 13) ^ v0;
    v0 = Rotated(v0, 32);
    v2 += v3;
    v3 = Rotated(v3, 16) ^ v2;
    v0 += v3;
    v3 = Rotated(v3, 21) ^ v0;
    v2 += v1;
    v1 = Rotated(v1, 17) ^ v2;
    v2 = Rotated(v2, 32);
  }

  void Absorb(uint64_t word) {
    v3 ^= word;
    Round();
    v0 ^= word;
  }

  uint64_t v0, v1, v2, v3;
};

}  // namespace

TorrentKey ReadTorrentKey(TextView link) {
  TorrentKey key;
  key.text = link;
  const size_t query = link.find('?');
  if (query == TextView::npos) return key;
  TextView multihash;
  // "?", "&" and "=" are below 0x40, so none is ever the second byte of a
  // double-byte character: each found is the separator it looks like.
  for (size_t start = query + 1; start <= link.size();) {
    size_t end = link.find('&', start);
    if (end == TextView::npos) end = link.size();
    const TextView parameter = link.substr(start, end - start);
    start = end + 1;
    const size_t equals = parameter.find('=');
    if (equals == TextView::npos || !NamesExactTopic(parameter.substr(0, equals))) continue;
    const TextView value = parameter.substr(equals + 1);
    if (StartsWithAnyCase(value, kInfoHashPrefix)) {
      if (!ReadInfoHash(value.substr(kInfoHashPrefix.size()), key)) continue;
      key.naming = TorrentNaming::InfoHash;
      key.text = {};
      return key;
    }
    if (multihash.empty() && StartsWithAnyCase(value, kMultihashPrefix))
      multihash = value.substr(kMultihashPrefix.size());
  }
  if (!multihash.empty()) {
    key.naming = TorrentNaming::Multihash;
    key.text = multihash;
  }
  return key;
}

bool SameTorrent(const TorrentKey& one, const TorrentKey& other) {
  if (one.naming != other.naming) return false;
  if (one.naming == TorrentNaming::InfoHash) return std::memcmp(one.infoHash, other.infoHash, kInfoHashBytes) == 0;
  return one.text == other.text;
}

uint64_t TorrentFingerprint(const TorrentKey& key, uint64_t seed) {
  FingerprintHash hash(seed, uint64_t(key.naming));
  if (key.naming == TorrentNaming::InfoHash) return hash.Finish(key.infoHash, kInfoHashBytes);
  return hash.Finish(reinterpret_cast<const unsigned char*>(key.text.data()), key.text.size());
}
