#pragma once
// A data stream for the tests that refuses every name at "Charset", as a
// stream does that does not know the charset, served as "Adodb.Stream" in the
// calling apartment while a registration lives (COM asks the apartment's
// registered classes before the registry). It takes everything else, answers
// "ReadText" with a text of its own and counts the calls that matter.
#include <windows.h>

#include <optional>

#include "tests/automation/TestComObject.h"

struct RefusingStreamCalls {
  int charsetPuts = 0;
  int readTexts = 0;
  int closes = 0;
};

// The calls since the registration was made.
RefusingStreamCalls& RefusingStreamCallsSoFar();

// What ReadText would give, in UTF-16.
inline constexpr wchar_t kRefusingStreamText[] = L"the stream's own text";

class CharsetRefusingStreamRegistration {
 public:
  // COM must be initialised on the calling thread.
  CharsetRefusingStreamRegistration();
  CharsetRefusingStreamRegistration(const CharsetRefusingStreamRegistration&) = delete;
  CharsetRefusingStreamRegistration& operator=(const CharsetRefusingStreamRegistration&) = delete;
  [[nodiscard]] bool Registered() const { return classObject && classObject->Registered(); }

 private:
  std::optional<ClassObjectRegistration> classObject;  // none where "Adodb.Stream" names no class
};
