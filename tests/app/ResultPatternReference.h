#pragma once
// A plain backtracking matcher of the result pattern alone, the way the
// engine runs it (leftmost start, lazy groups tried shortest first, letter
// case of ASCII letters ignored, every match from where the last one ended),
// for comparing the one-pass finder with on small pages. A remembered failure
// of the pattern's rest at a position only spares trying it again: the rest's
// outcome does not depend on what the groups before took.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/ResultSpans.h"

struct ReferenceMatch {
  size_t start = 0;
  size_t end = 0;
  std::array<std::wstring, 14> groups;
};

class ResultPatternReference {
 public:
  ResultPatternReference(std::wstring_view page, DotStops dotStops) : page(page), dotStops(dotStops) {
    const wchar_t* const literals[] = {
        L"<li>", nullptr, L"<span class=\"lightColor\">", nullptr, L"</span>", nullptr, L"\n", nullptr, L"\n",
        nullptr, L"\n", nullptr, L"\n", nullptr, L"\n", nullptr,
        L"<span>\u6587\u4EF6\u5927\u5C0F\uFF1A<b class=\"cpill yellow-pill\">",  // 文件大小：
        nullptr, L"</b>", nullptr, L"\n", nullptr, L"\n", nullptr, L"\n", nullptr,
        L"\u78C1\u529B\u94FE\u63A5</a> <a href=\"",  // 磁力链接
        nullptr, L"\" class=\"download\">"};
    for (const wchar_t* literal : literals) elements.push_back(literal ? std::wstring_view(literal) : Group());
    failed.assign(elements.size() * (page.size() + 1), false);
  }

  std::vector<ReferenceMatch> EveryMatch() {
    std::vector<ReferenceMatch> matches;
    for (size_t from = 0; from <= page.size();) {
      size_t start = from;
      while (start <= page.size() && !MatchFrom(0, start, 0)) ++start;
      if (start > page.size()) break;
      current.start = start;
      matches.push_back(current);
      from = current.end;
    }
    return matches;
  }

 private:
  static std::wstring_view Group() { return {}; }
  bool IsGroup(size_t element) const { return elements[element].data() == nullptr; }
  static wchar_t Folded(wchar_t character) {
    return character >= L'A' && character <= L'Z' ? wchar_t(character + 32) : character;
  }
  bool DotMatches(wchar_t character) const {
    if (character == L'\n') return false;
    return dotStops == DotStops::AtLineFeed ||
           (character != L'\r' && character != L'\u2028' && character != L'\u2029');
  }

  bool MatchFrom(size_t element, size_t at, size_t group) {
    if (element == elements.size()) {
      current.end = at;
      return true;
    }
    const size_t memo = element * (page.size() + 1) + at;
    if (failed[memo]) return false;
    if (IsGroup(element)) {
      for (size_t length = 0;; ++length) {
        if (MatchFrom(element + 1, at + length, group + 1)) {
          current.groups[group] = std::wstring(page.substr(at, length));
          return true;
        }
        if (at + length == page.size() || !DotMatches(page[at + length])) break;
      }
    } else {
      const std::wstring_view literal = elements[element];
      bool fits = page.size() - at >= literal.size();
      for (size_t index = 0; fits && index < literal.size(); ++index)
        fits = Folded(page[at + index]) == Folded(literal[index]);
      if (fits && MatchFrom(element + 1, at + literal.size(), group)) return true;
    }
    failed[memo] = true;
    return false;
  }

  std::wstring_view page;
  DotStops dotStops;
  std::vector<std::wstring_view> elements;
  std::vector<bool> failed;
  ReferenceMatch current;
};
