// TrimSpaces and RemoveSpaces against the text read character by character:
// only whole space characters (ASCII space, full-width A1 A1) ever go.
#include "tests/fuzz/FuzzInput.h"

namespace {

struct Character {
  size_t at, length;
  bool space;
};

std::vector<Character> ReadCharacters(TextView text) {
  std::vector<Character> characters;
  for (size_t at = 0; at < text.size();) {
    Character character{at, 1, text[at] == ' '};
    if (!character.space && text.substr(at, 2) == "\xA1\xA1") character = {at, 2, true};  // 　 full-width space
    else if (!character.space && static_cast<unsigned char>(text[at]) >= 0x80)
      character.length = at + 1 < text.size() ? 2 : 1;  // a lone lead byte at the end stays one unit
    characters.push_back(character);
    at += character.length;
  }
  return characters;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 1);
  const Text& text = input.fields[0];

  std::vector<Character> characters = ReadCharacters(text);
  Text withoutSpaces;
  size_t first = characters.size(), last = 0;
  for (size_t index = 0; index < characters.size(); ++index) {
    const Character& character = characters[index];
    if (character.space) continue;
    withoutSpaces.append(text, character.at, character.length);
    if (first == characters.size()) first = index;
    last = index;
  }
  Text trimmedExpected;
  if (first < characters.size())
    trimmedExpected = text.substr(characters[first].at, characters[last].at + characters[last].length - characters[first].at);

  Text trimmed = TrimSpaces(text), removed = RemoveSpaces(text);
  FUZZ_CHECK(trimmed == trimmedExpected);
  FUZZ_CHECK(removed == withoutSpaces);
  FUZZ_CHECK(TrimSpaces(trimmed) == trimmed);
  FUZZ_CHECK(RemoveSpaces(removed) == removed);
  FUZZ_CHECK(RemoveSpaces(trimmed) == removed);
  return 0;
}
