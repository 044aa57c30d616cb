#pragma once
// A literal of a pattern as the engine matches it with letter case ignored,
// for the built-in matchers. Platform-free.
#include <string_view>

// No character of code page 936 other than an ASCII letter folds to one, so
// folding ASCII letters is the whole rule.
constexpr wchar_t FoldedAscii(wchar_t character) {
  return character >= L'A' && character <= L'Z' ? wchar_t(character + (L'a' - L'A')) : character;
}

// Whether `literal` stands in `text` at `at`, ASCII letters in any case.
constexpr bool LiteralAt(std::wstring_view text, size_t at, std::wstring_view literal) {
  if (at > text.size() || text.size() - at < literal.size()) return false;
  for (size_t index = 0; index < literal.size(); ++index)
    if (FoldedAscii(text[at + index]) != FoldedAscii(literal[index])) return false;
  return true;
}
