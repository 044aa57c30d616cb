// MergeCookies on any jar and received text; a merge that receives nothing
// leaves a jar of distinct names as it is. (Empty items are left out of that:
// the rules let "a=1; ; " come out as "a=1; ", which a second merge trims.)
#include "tests/fuzz/CookieProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 2);
  if (input.options & 2) {  // texts as they come from UTF-16
    for (Text& field : input.fields) field = WholeCharacters(field);
  }
  Text jar = input.fields[0], received = input.fields[1];

  Text returned = MergeCookies(jar, received);
  FUZZ_CHECK(returned == jar);
  CheckMerge(input.fields[0], input.fields[1], jar, received);

  if (!IsWholeCharacters(jar)) return 0;
  TextList names, items = SplitText(jar, "; ");
  if (JoinTexts(items, "; ") != jar) return 0;
  for (const Text& item : items) {
    if (item.empty() || Contains(names, CookieName(item))) return 0;
    names.push_back(CookieName(item));
  }
  Text again = jar, nothing;
  FUZZ_CHECK(MergeCookies(again, nothing) == jar);
  return 0;
}
