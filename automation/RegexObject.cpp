#include "automation/RegexObject.h"

#include "text/CodePage936.h"

namespace {

constexpr TextView kQuoteToken = "#引号";

}  // namespace

bool RegexObject::Match(TextView pattern, TextView subject, bool caseSensitive, bool multiLine, bool global,
                        bool quoteToken) {
  engine.Clear();
  matchList.Clear();
  if (!engine.Create("VBScript.RegExp")) return false;
  // The values go by reference, as the engine's own scripts pass them.
  bool ignoreCase = !caseSensitive;
  WriteProperty(engine, "IgnoreCase", ByReference(ignoreCase));
  WriteProperty(engine, "Multiline", ByReference(multiLine));
  // The engine has no such member: the write fails and the dot keeps its
  // meaning (no line feed), which the stored patterns rely on.
  WriteProperty(engine, "Singleline", true);
  WriteProperty(engine, "Global", ByReference(global));
  Text patternText = quoteToken ? ReplaceAll(pattern, kQuoteToken, "\"") : Text(pattern);
  WriteProperty(engine, "Pattern", ByReference(patternText));
  this->subject.SetText(subject);
  matchList = CallObjectMethod(engine, "Execute", this->subject);
  return !matchList.IsEmpty();
}

Text RegexObject::PatternText() const {
  if (engine.IsEmpty()) return {};
  return ReadTextProperty(engine, "Pattern");
}

Text RegexObject::ReplaceMatches(TextView replacement) const {
  Variant replacementText;
  replacementText.SetText(replacement);
  Text replaced = CallTextMethod(engine, "Replace", subject, ByReference(replacementText));
  replacementText.Clear();
  return replaced;
}

int RegexObject::MatchCount() const { return int(ReadNumberProperty(matchList, "Count")); }

Text RegexObject::MatchText(int matchIndex, int* position) const {
  ComObject match = ReadObjectProperty(matchList, "Item", double(matchIndex - 1));
  Variant value = ReadProperty(match, "Value");
  Text text = value.ToText();
  value.Clear();
  if (position) *position = PositionOf(match, text);
  return text;
}

Text RegexObject::SubMatchText(int matchIndex, int groupIndex, int* position) const {
  ComObject match = ReadObjectProperty(matchList, "Item", double(matchIndex - 1));
  ComObject groups = ReadObjectProperty(match, "SubMatches");
  Variant value = ReadProperty(groups, "Item", double(groupIndex - 1));
  Text text = value.ToText();
  value.Clear();
  if (position) *position = PositionOf(match, text);
  return text;
}

int RegexObject::SubMatchCount() const {
  ComObject match = ReadObjectProperty(matchList, "Item", 0);
  ComObject groups = ReadObjectProperty(match, "SubMatches");
  return int(ReadNumberProperty(groups, "Count"));
}

int RegexObject::PositionOf(const ComObject& match, TextView found) const {
  Text subjectText = subject.ToText();
  int firstIndex = int(ReadNumberProperty(match, "FirstIndex"));
  Variant ignoreCase = ReadProperty(engine, "IgnoreCase");
  LetterCase letterCase = ignoreCase.ToText() == "-1" ? LetterCase::IgnoreAscii : LetterCase::Exact;
  ignoreCase.Clear();
  // FirstIndex counts UTF-16 units; the bytes of those units in code page 936
  // give the match's own start, on a character boundary.
  const VARIANT& wide = subject.Raw();
  int start = 1;
  if (firstIndex > 0 && wide.vt == VT_BSTR && UINT(firstIndex) <= SysStringLen(wide.bstrVal))
    start = int(Utf16ToText(wide.bstrVal, firstIndex).size()) + 1;
  int at = FindText(subjectText, found, start, letterCase);
  return at < 0 ? -2 : at - 1;
}
