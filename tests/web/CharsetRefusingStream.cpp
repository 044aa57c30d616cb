#include "tests/web/CharsetRefusingStream.h"

#include <objbase.h>
#include <oaidl.h>

#include <string>

namespace {

enum Member : DISPID { kType = 1, kMode, kPosition, kCharset, kOpen, kWrite, kReadText, kClose };

RefusingStreamCalls calls;

class Stream final : public NamesOnlyDispatch {
 public:
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    static const wchar_t* const kNames[] = {L"Type", L"Mode", L"Position", L"Charset",
                                            L"Open", L"Write", L"ReadText", L"Close"};
    if (count != 1) return DISP_E_UNKNOWNNAME;
    for (DISPID at = 0; at < DISPID(sizeof kNames / sizeof kNames[0]); ++at) {
      if (lstrcmpiW(names[0], kNames[at]) == 0) {
        ids[0] = at + 1;
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    if (result) VariantInit(result);
    switch (member) {
      case kCharset:
        if (!(flags & DISPATCH_PROPERTYPUT)) return S_OK;
        ++calls.charsetPuts;
        if (exception) {
          *exception = EXCEPINFO{};
          exception->scode = E_INVALIDARG;
          exception->bstrDescription = SysAllocString(L"The charset is not known.");
        }
        return DISP_E_EXCEPTION;
      case kReadText:
        ++calls.readTexts;
        if (result) {
          result->vt = VT_BSTR;
          result->bstrVal = SysAllocString(kRefusingStreamText);
        }
        return S_OK;
      case kClose:
        ++calls.closes;
        return S_OK;
      case kType:
      case kMode:
      case kPosition:
      case kOpen:
      case kWrite:
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }
};

}  // namespace

RefusingStreamCalls& RefusingStreamCallsSoFar() { return calls; }

CharsetRefusingStreamRegistration::CharsetRefusingStreamRegistration() {
  calls = RefusingStreamCalls();
  // Whatever class "Adodb.Stream" names here: Wine's stand-in or the system's own.
  CLSID classId;
  if (FAILED(CLSIDFromProgID(L"Adodb.Stream", &classId))) return;
  classObject.emplace(classId, [] { return static_cast<IUnknown*>(new Stream); });
}
