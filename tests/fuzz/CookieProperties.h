#pragma once
// What a merge of received cookies into a jar must keep, checked against the
// texts before and after it.
#include "tests/fuzz/FuzzInput.h"
#include "web/Cookies.h"

inline bool EndsWithDeleted(TextView item) {
  constexpr TextView kDeleted = "=deleted";
  return item.size() >= kDeleted.size() && item.substr(item.size() - kDeleted.size()) == kDeleted;
}

inline bool Contains(const TextList& items, TextView item) {
  for (const Text& each : items) {
    if (each == item) return true;
  }
  return false;
}

// `oldJar` and `received` are the texts before the merge, `jar` and
// `receivedAfter` after it. For texts of whole characters: every received
// cookie is in the jar, in received order and first; an old cookie stays
// when no cookie of its name was received and it is the first of its name;
// nothing else enters the jar, an item ending in =deleted never does, and a
// name appears twice only when the server sent it twice.
inline void CheckMerge(TextView oldJar, TextView received, TextView jar, TextView receivedAfter) {
  FUZZ_CHECK(receivedAfter == RemoveSpaces(received));
  if (!IsWholeCharacters(oldJar) || !IsWholeCharacters(received)) return;
  FUZZ_CHECK(RemoveSpaces(jar) == ReplaceAll(jar, "; ", ";"));  // no spaces but the separators

  TextList receivedItems = SplitText(RemoveSpaces(received), ";");
  TextList oldItems = SplitText(RemoveSpaces(oldJar), ";");
  TextList jarItems = SplitText(jar, "; ");
  TextList kept;
  for (const Text& item : receivedItems) {
    if (!EndsWithDeleted(item) && !Contains(kept, item)) kept.push_back(item);
  }
  size_t receivedKept = kept.size();
  TextList oldNamesSeen;
  for (const Text& item : oldItems) {
    Text name = CookieName(item);
    bool firstOfName = !Contains(oldNamesSeen, name);
    oldNamesSeen.push_back(name);
    if (!firstOfName || HasCookieNamed(receivedItems, name)) continue;
    if (!EndsWithDeleted(item) && !Contains(kept, item)) kept.push_back(item);
  }
  // An empty item stays between others ("a=1; ; b=2") but not at the end.
  if (!kept.empty() && kept.back().empty()) kept.pop_back();
  if (receivedKept > kept.size()) receivedKept = kept.size();
  FUZZ_CHECK(jarItems == kept);
  for (size_t index = 0; index < jarItems.size(); ++index) {
    for (size_t other = index + 1; other < jarItems.size(); ++other) {
      if (CookieName(jarItems[index]) == CookieName(jarItems[other])) FUZZ_CHECK(other < receivedKept);
    }
  }
}
