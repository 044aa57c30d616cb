#pragma once
// The program's pattern matcher over "VBScript.RegExp": Match once, then read
// the matches and their groups by 1-based indexes. Each read fetches what it
// needs from the match list again. An object initialises COM for its thread
// for its lifetime, and is used and destroyed on that thread.
#include <string_view>

#include "automation/ComApartment.h"
#include "automation/ComObject.h"
#include "automation/Variant.h"
#include "text/DotStops.h"
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
  // The same over a subject already in UTF-16, as the engine sees it.
  // False too when the engine's copy of the subject could not be given room;
  // SubjectHadNoRoom() then tells so.
  [[nodiscard]] bool Match(TextView pattern, std::wstring_view subject, bool caseSensitive, bool multiLine,
                           bool global, bool quoteToken);
  [[nodiscard]] bool SubjectHadNoRoom() const { return subjectHadNoRoom; }
  // Whether the engine's dot matches a carriage return: the system's own
  // engine takes it, Wine's stops there as at every line end. Asked of the
  // engine once (a Match of its own, so asked before the Match it serves).
  [[nodiscard]] bool DotMatchesCarriageReturn();
  // The same as the built-in matchers take it; without the engine, as the
  // system's own engine does (a carriage return taken).
  [[nodiscard]] DotStops EngineDotStops();
  // Whether "VBScript.RegExp" was created: false where the system lacks it.
  [[nodiscard]] bool HasEngine() const { return !engine.IsEmpty(); }
  [[nodiscard]] Text PatternText() const;
  [[nodiscard]] Text ReplaceMatches(TextView replacement) const;
  [[nodiscard]] int MatchCount() const;
  // `position`, when given, receives the 0-based byte offset of the found text
  // in the subject, -2 when it cannot be found there.
  [[nodiscard]] Text MatchText(int matchIndex, int* position = nullptr) const;
  [[nodiscard]] Text SubMatchText(int matchIndex, int groupIndex, int* position = nullptr) const;
  [[nodiscard]] int SubMatchCount() const;
  // Groups `groups` (1-based) of every match, in match order: `take` gets
  // each match's groupCount texts (an unmatched group empty) and returns
  // false to stop. For many matches at once: the match list hands out its
  // matches many a call, and each group is one plain IDispatch call with the
  // member ids fetched once. False when the engine failed on the way.
  using GroupsTaker = bool (*)(void* context, const Text* texts);
  [[nodiscard]] bool ReadGroupsOfEveryMatch(const int* groups, int groupCount, GroupsTaker take, void* context) const;

 private:
  [[nodiscard]] int PositionOf(const ComObject& match, TextView found) const;

  // The member ids that ReadGroupsOfEveryMatch needs, the same for every
  // match and group list of the engine.
  mutable DISPID subMatchesId = DISPID_UNKNOWN;
  enum class Answer { NotAsked, Yes, No };
  Answer dotMatchesReturn = Answer::NotAsked;
  mutable DISPID itemId = DISPID_UNKNOWN;
  bool subjectHadNoRoom = false;  // of the last Match

  // Destroyed from the bottom up: engine, match list, subject, then COM.
  ComApartment apartment;
  Variant subject;
  ComObject matchList;
  ComObject engine;
};
