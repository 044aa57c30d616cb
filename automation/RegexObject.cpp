#include "automation/RegexObject.h"

#include "automation/MemberCall.h"
#include "system/Holders.h"
#include "text/CodePage936.h"

namespace {

constexpr TextView kQuoteToken = "#引号";
constexpr ULONG kMatchesAtOnce = 64;
// IEnumVARIANT::Next fills an array of VARIANTs: holders must be exactly one.
static_assert(sizeof(Variant) == sizeof(VARIANT));

DISPID MemberId(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(MemberIdOf(object, name, LOCALE_USER_DEFAULT, id))) return DISPID_UNKNOWN;
  return id;
}

// A property read or method call with at most one integer argument.
bool Read(IDispatch* object, DISPID member, const int* argument, Variant& result) {
  VARIANT sent;
  VariantInit(&sent);
  DISPPARAMS parameters = {};
  if (argument) {
    sent.vt = VT_I4;
    sent.lVal = *argument;
    parameters.rgvarg = &sent;
    parameters.cArgs = 1;
  }
  result.Clear();
  return SUCCEEDED(
      InvokeDispatch(object, member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, LOCALE_USER_DEFAULT, parameters, result.Raw()));
}

ComReference<IDispatch> DispatchIn(const Variant& value) {
  const VARIANT& raw = value.Raw();
  if (raw.vt == VT_DISPATCH || raw.vt == VT_UNKNOWN) return DispatchOf(raw.punkVal);
  return {};
}

}  // namespace

bool RegexObject::Match(TextView pattern, TextView subject, bool caseSensitive, bool multiLine, bool global,
                        bool quoteToken) {
  return Match(pattern, TextToUtf16(subject), caseSensitive, multiLine, global, quoteToken);
}

bool RegexObject::Match(TextView pattern, std::wstring_view subject, bool caseSensitive, bool multiLine,
                        bool global, bool quoteToken) {
  matchList.Clear();
  subjectHadNoRoom = false;
  // One engine serves every Match of the object; its settings are written anew.
  if (engine.IsEmpty() && !engine.Create("VBScript.RegExp", ComObject::Servers::InProcess)) return false;
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
  subjectHadNoRoom = !this->subject.SetUtf16(subject);
  if (subjectHadNoRoom) return false;
  matchList = CallObjectMethod(engine, "Execute", this->subject);
  return !matchList.IsEmpty();
}

bool RegexObject::DotMatchesCarriageReturn() {
  if (dotMatchesReturn == Answer::NotAsked && Match(".", std::wstring_view(L"\r"), false, false, false, false))
    dotMatchesReturn = MatchCount() == 1 ? Answer::Yes : Answer::No;
  return dotMatchesReturn == Answer::Yes;
}

DotStops RegexObject::EngineDotStops() {
  const bool takesReturn = DotMatchesCarriageReturn();
  return takesReturn || !HasEngine() ? DotStops::AtLineFeed : DotStops::AtEveryLineEnd;
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

bool RegexObject::ReadGroupsOfEveryMatch(const int* groups, int groupCount, GroupsTaker take, void* context) const {
  TextList texts(size_t(groupCount > 0 ? groupCount : 0));
  ComReference<IDispatch> list = DispatchOf(matchList.Get());
  if (!list) return false;
  Variant value;
  if (!Read(list.Get(), DISPID_NEWENUM, nullptr, value)) return false;
  ComReference<IEnumVARIANT> matches;
  const VARIANT& raw = value.Raw();
  if ((raw.vt != VT_UNKNOWN && raw.vt != VT_DISPATCH) || !raw.punkVal ||
      FAILED(raw.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(matches.Receive()))))
    return false;
  value.Clear();
  Variant fetched[kMatchesAtOnce];
  for (;;) {
    ULONG count = 0;
    for (Variant& each : fetched) each.Clear();
    HRESULT result = matches->Next(kMatchesAtOnce, &fetched[0].Raw(), &count);
    if (FAILED(result)) return false;
    for (ULONG index = 0; index < count; ++index) {
      ComReference<IDispatch> match = DispatchIn(fetched[index]);
      if (!match) return false;
      if (subMatchesId == DISPID_UNKNOWN) subMatchesId = MemberId(match.Get(), L"SubMatches");
      Variant groupsValue;
      if (!Read(match.Get(), subMatchesId, nullptr, groupsValue)) return false;
      ComReference<IDispatch> groupList = DispatchIn(groupsValue);
      if (!groupList) return false;
      if (itemId == DISPID_UNKNOWN) itemId = MemberId(groupList.Get(), L"Item");
      for (int group = 0; group < groupCount; ++group) {
        const int zeroBased = groups[group] - 1;
        if (!Read(groupList.Get(), itemId, &zeroBased, value)) return false;
        texts[size_t(group)] = value.ToText();
      }
      if (!take(context, texts.data())) return true;
    }
    if (result != S_OK || count < kMatchesAtOnce) return true;
  }
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
