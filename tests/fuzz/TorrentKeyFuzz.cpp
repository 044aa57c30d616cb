// ReadTorrentKey against a plain reference: the parameters split out one by
// one, the info-hash decoded through a string of bits. The same link with its
// winning value re-encoded (hex and base32 swapped) or re-cased, and with the
// parameter's name and prefix re-cased, names the same torrent, and keys that
// name the same torrent have the same fingerprint, whichever key comes first. The input is an options
// byte (bit 0: re-encode, bit 1: the digits in upper case, bit 2: the name
// and prefix in upper case, bits 3-7: which byte from the end to change; all
// of it: the seed), then the link.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/TorrentKey.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kBase32Digits[] = "abcdefghijklmnopqrstuvwxyz234567";

Text Lowered(TextView text) {
  Text lowered(text);
  for (char& byte : lowered) byte = FoldAsciiLetter(byte);
  return lowered;
}

Text Raised(TextView text) {
  Text raised(text);
  for (char& byte : raised)
    if (byte >= 'a' && byte <= 'z') byte = char(byte - 32);
  return raised;
}

// The digit's place in `digits` (lower case), or -1; never the zero byte.
int DigitIndex(const char* digits, char digit) {
  const char* found = digit ? std::strchr(digits, FoldAsciiLetter(digit)) : nullptr;
  return found ? int(found - digits) : -1;
}

// The value as `bitsPerDigit` bits a digit, high bits first: "0" and "1".
bool ValueBits(TextView value, const char* digits, int bitsPerDigit, Text& bits) {
  for (const char digit : value) {
    const int index = DigitIndex(digits, digit);
    if (index < 0) return false;
    for (int bit = bitsPerDigit - 1; bit >= 0; --bit) bits += char('0' + (index >> bit & 1));
  }
  return true;
}

Text BytesOfBits(const Text& bits) {
  Text bytes;
  for (size_t at = 0; at + 8 <= bits.size(); at += 8)
    bytes += char(std::strtol(bits.substr(at, 8).c_str(), nullptr, 2));
  return bytes;
}

// 20 bytes, or empty when the value is no info-hash.
Text InfoHashBytes(TextView value) {
  Text bits;
  if (value.size() == 40 && ValueBits(value, kHexDigits, 4, bits)) return BytesOfBits(bits);
  bits.clear();
  if (value.size() == 32 && ValueBits(value, kBase32Digits, 5, bits)) return BytesOfBits(bits);
  return "";
}

Text Spelled(TextView bytes, const char* digits, int bitsPerDigit) {
  Text bits;
  for (const char byte : bytes)
    for (int bit = 7; bit >= 0; --bit) bits += char('0' + (static_cast<unsigned char>(byte) >> bit & 1));
  Text spelled;
  for (size_t at = 0; at + bitsPerDigit <= bits.size(); at += bitsPerDigit)
    spelled += digits[std::strtol(bits.substr(at, bitsPerDigit).c_str(), nullptr, 2)];
  return spelled;
}

struct ReferenceKey {
  TorrentNaming naming = TorrentNaming::WholeLink;
  Text infoHash;
  Text text;
  // Where the winning parameter starts and where its value, after the
  // prefix, lies in the link.
  size_t parameterAt = 0;
  size_t valueAt = 0;
  size_t valueSize = 0;
};

bool IsTopicName(const Text& name) {
  if (name == "xt") return true;
  if (name.size() < 4 || name.compare(0, 3, "xt.") != 0) return false;
  for (size_t at = 3; at < name.size(); ++at)
    if (name[at] < '0' || name[at] > '9') return false;
  return true;
}

ReferenceKey Reference(const Text& link) {
  ReferenceKey whole;
  whole.text = link;
  const size_t query = link.find('?');
  if (query == Text::npos) return whole;
  ReferenceKey multihash;
  bool multihashFound = false;
  size_t parameterAt = query + 1;
  while (true) {
    const size_t ampersand = link.find('&', parameterAt);
    const Text parameter = link.substr(parameterAt, ampersand == Text::npos ? Text::npos : ampersand - parameterAt);
    const size_t equals = parameter.find('=');
    if (equals != Text::npos && IsTopicName(Lowered(parameter.substr(0, equals)))) {
      const Text value = parameter.substr(equals + 1);
      const Text prefix = Lowered(value.substr(0, 9));
      const Text rest = value.size() > 9 ? value.substr(9) : "";
      const size_t valueAt = parameterAt + equals + 1 + 9;
      if (prefix == "urn:btih:" && !InfoHashBytes(rest).empty()) {
        return {TorrentNaming::InfoHash, InfoHashBytes(rest), "", parameterAt, valueAt, rest.size()};
      }
      if (prefix == "urn:btmh:" && !rest.empty() && !multihashFound) {
        multihash = {TorrentNaming::Multihash, "", rest, parameterAt, valueAt, rest.size()};
        multihashFound = true;
      }
    }
    if (ampersand == Text::npos) break;
    parameterAt = ampersand + 1;
  }
  return multihashFound ? multihash : whole;
}

// The link with the winning parameter's name and prefix re-cased and, for an
// info-hash, its value spelled again as the options say.
Text Respelled(const Text& link, const ReferenceKey& key, unsigned char options) {
  if (key.naming == TorrentNaming::WholeLink) return link;
  const size_t nameSize = key.valueAt - key.parameterAt;
  const Text name = link.substr(key.parameterAt, nameSize);
  Text value = link.substr(key.valueAt, key.valueSize);
  if (key.naming == TorrentNaming::InfoHash) {
    const bool base32 = (key.valueSize == 32) != bool(options & 1);
    value = base32 ? Spelled(key.infoHash, kBase32Digits, 5) : Spelled(key.infoHash, kHexDigits, 4);
    if (options & 2) value = Raised(value);
  }
  return link.substr(0, key.parameterAt) + (options & 4 ? Raised(name) : Lowered(name)) + value +
         link.substr(key.valueAt + key.valueSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzInput input = ReadFuzzInput(data, size, 1);
  const Text& link = input.fields[0];
  const uint64_t seed = 0x9E3779B97F4A7C15 * (input.options + 1u);
  const TorrentKey key = ReadTorrentKey(link);
  const ReferenceKey expected = Reference(link);
  FUZZ_CHECK(key.naming == expected.naming);
  if (key.naming == TorrentNaming::InfoHash) {
    FUZZ_CHECK(expected.infoHash.size() == sizeof key.infoHash);
    FUZZ_CHECK(std::memcmp(key.infoHash, expected.infoHash.data(), sizeof key.infoHash) == 0);
  } else {
    FUZZ_CHECK(key.text == expected.text);
  }

  const Text respelled = Respelled(link, expected, input.options);
  const TorrentKey other = ReadTorrentKey(respelled);
  FUZZ_CHECK(SameTorrent(key, other));
  FUZZ_CHECK(SameTorrent(other, key));
  FUZZ_CHECK(TorrentFingerprint(key, seed) == TorrentFingerprint(other, seed));

  // Every byte counts: one changed, a key that names another torrent has
  // another fingerprint (64 bits collide once in about 2^32 pairs).
  if (link.empty()) return 0;
  Text changed = link;
  changed[changed.size() - 1 - std::min<size_t>(input.options >> 3, changed.size() - 1)] ^= 1;
  const TorrentKey changedKey = ReadTorrentKey(changed);
  if (!SameTorrent(key, changedKey)) FUZZ_CHECK(TorrentFingerprint(key, seed) != TorrentFingerprint(changedKey, seed));
  return 0;
}
