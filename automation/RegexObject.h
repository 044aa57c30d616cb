#pragma once
// The program's pattern matcher over "VBScript.RegExp": Match once, then read
// the matches and their groups by 1-based indexes. Each read fetches what it
// needs from the match list again. An object initialises COM for its thread
// for its lifetime, and is used and destroyed on that thread.
#include "automation/ComApartment.h"
#include "automation/ComObject.h"
#include "automation/Variant.h"
#include "text/Text.h"

class RegexObject {
 public:
  RegexObject() = default;
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  // True when the engine returned a match list, even an empty one. With
  // `quoteToken` every "#引号" of the pattern becomes a double quote.
  [[nodiscard]] bool Match(TextView pattern, TextView subject, bool caseSensitive = false, bool multiLine = true,
                           bool global = true, bool quoteToken = false);
  [[nodiscard]] Text PatternText() const;
  [[nodiscard]] Text ReplaceMatches(TextView replacement) const;
  [[nodiscard]] int MatchCount() const;
  // `position`, when given, receives the 0-based byte offset of the found text
  // in the subject, -2 when it cannot be found there.
  [[nodiscard]] Text MatchText(int matchIndex, int* position = nullptr) const;
  [[nodiscard]] Text SubMatchText(int matchIndex, int groupIndex, int* position = nullptr) const;
  [[nodiscard]] int SubMatchCount() const;

 private:
  [[nodiscard]] int PositionOf(const ComObject& match, TextView found) const;

  // Destroyed from the bottom up: engine, match list, subject, then COM.
  ComApartment apartment;
  Variant subject;
  ComObject matchList;
  ComObject engine;
};
