#pragma once
// What every fuzz target shares: how an input becomes arguments, the checks
// that end the run with a report, and plain reference versions of the
// character rules that the targets compare the real helpers against.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "text/Text.h"

// An input is one options byte, then texts separated by zero bytes; the last
// text takes the rest, zero bytes and all, since the helpers must not care.
// Missing texts are empty, so every input is valid.
struct FuzzInput {
  unsigned char options = 0;
  TextList fields;
};

inline FuzzInput ReadFuzzInput(const uint8_t* data, size_t size, size_t fieldCount) {
  FuzzInput input;
  input.fields.resize(fieldCount);
  if (size == 0) return input;
  input.options = data[0];
  TextView rest(reinterpret_cast<const char*>(data + 1), size - 1);
  for (size_t index = 0; index < fieldCount; ++index) {
    size_t end = index + 1 == fieldCount ? rest.size() : rest.find('\0');
    if (end == TextView::npos) end = rest.size();
    input.fields[index] = Text(rest.substr(0, end));
    rest.remove_prefix(end < rest.size() ? end + 1 : rest.size());
  }
  return input;
}

// libFuzzer records an abort as a crash and saves the input that caused it.
#define FUZZ_CHECK(condition)                                                           \
  do {                                                                                  \
    if (!(condition)) {                                                                 \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (0)

inline char FoldAsciiLetter(char byte) { return byte >= 'A' && byte <= 'Z' ? char(byte + 32) : byte; }

// Marks the offsets where a character starts when the text is read from
// `from`: a byte of 0x80 or more takes the byte after it along.
inline std::vector<bool> CharacterStarts(TextView text, size_t from = 0) {
  std::vector<bool> starts(text.size() + 1, false);
  size_t at = from;
  while (at < text.size()) {
    starts[at] = true;
    at += static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
  }
  if (at == text.size()) starts[at] = true;
  return starts;
}

// `what` at `at`, a character start; ignoring case folds only the letters
// that are characters of their own, never the byte after a lead byte.
inline bool BytesMatch(TextView text, size_t at, TextView what, LetterCase letterCase) {
  if (text.size() < at || text.size() - at < what.size()) return false;
  bool afterLead = false;
  for (size_t i = 0; i < what.size(); ++i) {
    char left = text[at + i], right = what[i];
    if (letterCase == LetterCase::IgnoreAscii && !afterLead) {
      left = FoldAsciiLetter(left);
      right = FoldAsciiLetter(right);
    }
    if (left != right) return false;
    afterLead = !afterLead && static_cast<unsigned char>(text[at + i]) >= 0x80;
  }
  return true;
}

// The text with the letters that start a character, read from `from`, in
// lower case; the bytes before `from` as they are.
inline Text FoldedLetters(TextView text, size_t from = 0) {
  const std::vector<bool> starts = CharacterStarts(text, from);
  Text folded(text);
  for (size_t at = from; at < folded.size(); ++at) {
    if (starts[at]) folded[at] = FoldAsciiLetter(folded[at]);
  }
  return folded;
}

// True when the text is made of whole code page 936 characters: each byte of
// 0x80 or more is followed by a trail byte, which is never below 0x40. Every
// text converted from UTF-16 is such a text; separators (space, ";", "=",
// CR, LF) can then never be taken for the half of a character.
inline bool IsWholeCharacters(TextView text) {
  for (size_t at = 0; at < text.size(); ++at) {
    if (static_cast<unsigned char>(text[at]) < 0x80) continue;
    if (at + 1 == text.size() || static_cast<unsigned char>(text[at + 1]) < 0x40) return false;
    ++at;
  }
  return true;
}

// The text with every lead byte that has no trail byte left out, so that
// the whole-character properties are checked on most inputs.
inline Text WholeCharacters(TextView text) {
  Text whole;
  for (size_t at = 0; at < text.size(); ++at) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      whole.push_back(text[at]);
    } else if (at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) >= 0x40) {
      whole.append(text, at, 2);
      ++at;
    }
  }
  return whole;
}

// The first character start at or after `from` where `what` matches, as a
// zero-based offset; the reference for FindText.
inline size_t NaiveFind(TextView text, TextView what, size_t from, LetterCase letterCase) {
  std::vector<bool> starts = CharacterStarts(text, from);
  for (size_t at = from; at < text.size(); ++at) {
    if (starts[at] && BytesMatch(text, at, what, letterCase)) return at;
  }
  return TextView::npos;
}

inline Text JoinTexts(const TextList& pieces, TextView separator) {
  Text joined;
  for (size_t index = 0; index < pieces.size(); ++index) {
    if (index) joined.append(separator);
    joined.append(pieces[index]);
  }
  return joined;
}
