// Not a test: how much binding every member again costs. Runs the result
// pattern over a page of 50 entries and reads groups 1, 2 and 14 of every
// match, through RegexObject and through IDispatch with member ids fetched
// once, making the same member calls, and prints the ratio of the two times.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>

#include "ResultPage.h"
#include "automation/ComApartment.h"
#include "automation/RegexObject.h"
#include "text/CodePage936.h"
#include "system/Holders.h"

namespace {

constexpr int kEntries = 50;
constexpr int kRounds = 20;
constexpr int kGroups[] = {1, 2, 14};

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

size_t ThroughRegexObject(TextView page) {
  RegexObject regex;
  if (!regex.Match(kResultPattern, page, false, false, true, true)) return 0;
  size_t bytes = 0;
  int count = regex.MatchCount();
  for (int match = 1; match <= count; ++match)
    for (int group : kGroups) bytes += regex.SubMatchText(match, group).size();
  return bytes;
}

// Member ids of the engine and of the objects it returns, fetched once.
struct CachedIds {
  DISPID pattern = 0, ignoreCase = 0, multiline = 0, global = 0, execute = 0;
  DISPID count = DISPID_UNKNOWN, item = DISPID_UNKNOWN, subMatches = DISPID_UNKNOWN;
};

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// One Invoke; `argument` may be null. The result is left in `result`.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, VARIANT* argument, VARIANT& result) {
  VariantInit(&result);
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{argument, nullptr, argument ? 1u : 0u, 0};
  if (flags == DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &putId;
    parameters.cNamedArgs = 1;
  }
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, &result, nullptr, nullptr);
}

IDispatch* ObjectItem(IDispatch* collection, DISPID id, VARIANT* index) {
  VARIANT result;
  if (FAILED(Call(collection, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, index, result))) return nullptr;
  if (result.vt != VT_DISPATCH) {
    VariantClear(&result);
    return nullptr;
  }
  return result.pdispVal;
}

size_t ThroughCachedIds(TextView page, CachedIds& ids) {
  CLSID classId;
  if (FAILED(CLSIDFromProgID(L"VBScript.RegExp", &classId))) return 0;
  ComReference<IDispatch> engine;
  if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(engine.Receive()))))
    return 0;
  if (ids.execute == 0) {
    ids.pattern = IdOf(engine.Get(), L"Pattern");
    ids.ignoreCase = IdOf(engine.Get(), L"IgnoreCase");
    ids.multiline = IdOf(engine.Get(), L"Multiline");
    ids.global = IdOf(engine.Get(), L"Global");
    ids.execute = IdOf(engine.Get(), L"Execute");
  }
  VARIANT value, result;
  value.vt = VT_BOOL;
  value.boolVal = VARIANT_TRUE;
  Call(engine.Get(), ids.ignoreCase, DISPATCH_PROPERTYPUT, &value, result);
  Call(engine.Get(), ids.global, DISPATCH_PROPERTYPUT, &value, result);
  value.boolVal = VARIANT_FALSE;
  Call(engine.Get(), ids.multiline, DISPATCH_PROPERTYPUT, &value, result);
  std::wstring pattern = TextToUtf16(ReplaceAll(kResultPattern, "#引号", "\""));
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(pattern.c_str());
  Call(engine.Get(), ids.pattern, DISPATCH_PROPERTYPUT, &value, result);
  VariantClear(&value);
  std::wstring subject = TextToUtf16(page);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(subject.data(), UINT(subject.size()));
  HRESULT executed = Call(engine.Get(), ids.execute, DISPATCH_METHOD, &value, result);
  VariantClear(&value);
  if (FAILED(executed) || result.vt != VT_DISPATCH) return 0;
  ComReference<IDispatch> matches(result.pdispVal);
  if (ids.count == DISPID_UNKNOWN) {
    ids.count = IdOf(matches.Get(), L"Count");
    ids.item = IdOf(matches.Get(), L"Item");
  }
  Call(matches.Get(), ids.count, DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr, result);
  VariantChangeType(&result, &result, 0, VT_I4);
  int count = result.lVal;
  size_t bytes = 0;
  for (int match = 0; match < count; ++match) {
    for (int group : kGroups) {
      // The same calls as RegexObject makes: the match and its groups afresh.
      VARIANT index;
      index.vt = VT_R8;
      index.dblVal = match;
      ComReference<IDispatch> found(ObjectItem(matches.Get(), ids.item, &index));
      if (!found) continue;
      if (ids.subMatches == DISPID_UNKNOWN) ids.subMatches = IdOf(found.Get(), L"SubMatches");
      ComReference<IDispatch> groups(ObjectItem(found.Get(), ids.subMatches, nullptr));
      if (!groups) continue;
      index.dblVal = group - 1;
      if (FAILED(Call(groups.Get(), ids.item, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &index, result))) continue;
      if (result.vt == VT_BSTR) bytes += Utf16ToText(result.bstrVal, int(SysStringLen(result.bstrVal))).size();
      VariantClear(&result);
    }
  }
  return bytes;
}

}  // namespace

int main() {
  ComApartment apartment;
  Text page = ResultPage(kEntries);
  CachedIds ids;
  // Warm both paths once, and check that they read the same texts.
  size_t bridged = ThroughRegexObject(page), direct = ThroughCachedIds(page, ids);
  if (bridged == 0 || bridged != direct) {
    std::printf("the two paths disagree: %u and %u bytes\n", unsigned(bridged), unsigned(direct));
    return 1;
  }
  double bridgeTime = 0, directTime = 0;
  for (int round = 0; round < kRounds; ++round) {
    double start = Seconds();
    ThroughRegexObject(page);
    double middle = Seconds();
    ThroughCachedIds(page, ids);
    double end = Seconds();
    bridgeTime += middle - start;
    directTime += end - middle;
  }
  std::printf("page of %d entries, groups 1, 2 and 14, %d rounds\n", kEntries, kRounds);
  std::printf("RegexObject:            %.2f ms a page\n", 1000 * bridgeTime / kRounds);
  std::printf("IDispatch, cached ids:  %.2f ms a page\n", 1000 * directTime / kRounds);
  std::printf("ratio: %.2f\n", bridgeTime / directTime);
  return 0;
}
