#include "web/CharsetDeclaration.h"

#include "text/EngineLiteral.h"

namespace {

using Head = std::wstring_view;
constexpr size_t kNone = Head::npos;
constexpr Head kMetaOpen = L"<meta";
constexpr Head kCharsetKey = L"charset=";

// The engine's \w is ASCII.
bool IsWord(wchar_t character) {
  return (character >= L'a' && character <= L'z') || (character >= L'A' && character <= L'Z') ||
         (character >= L'0' && character <= L'9') || character == L'_';
}

bool InName(wchar_t character) { return IsWord(character) || character == L'-'; }

bool DotMatches(wchar_t character, DotStops dotStops) {
  if (character == L'\n') return false;
  return dotStops == DotStops::AtLineFeed ||
         (character != L'\r' && character != L'\u2028' && character != L'\u2029');
}

// Where "[^\w]?([-\w]+)" takes its group after `at`, or kNone: the optional
// character first (greedy), then without it.
size_t NameStart(Head head, size_t at) {
  if (at >= head.size()) return kNone;
  if (!IsWord(head[at]) && at + 1 < head.size() && InName(head[at + 1])) return at + 1;
  return InName(head[at]) ? at : kNone;
}

}  // namespace

std::wstring CharsetDeclaredIn(std::wstring_view head, DotStops dotStops) {
  for (size_t start = 0; start < head.size(); ++start) {
    if (!LiteralAt(head, start, kMetaOpen)) continue;
    // ".+?" takes at least one character and none the dot stops at: each
    // "charset=" after that on the line is tried, the nearest first.
    size_t lineEnd = start + kMetaOpen.size();
    while (lineEnd < head.size() && DotMatches(head[lineEnd], dotStops)) ++lineEnd;
    for (size_t key = start + kMetaOpen.size() + 1; key + kCharsetKey.size() <= lineEnd; ++key) {
      if (!LiteralAt(head, key, kCharsetKey)) continue;
      const size_t name = NameStart(head, key + kCharsetKey.size());
      if (name == kNone) continue;
      size_t nameEnd = name;
      while (nameEnd < head.size() && InName(head[nameEnd])) ++nameEnd;
      return std::wstring(head.substr(name, nameEnd - name));
    }
    // A later start on the same line has the same choices, fewer of them.
    start = lineEnd;
  }
  return {};
}
