#include "tests/web/CharsetRefusingStream.h"

#include <objbase.h>
#include <oaidl.h>

#include <string>

namespace {

enum Member : DISPID { kType = 1, kMode, kPosition, kCharset, kOpen, kWrite, kReadText, kClose };

RefusingStreamCalls calls;

class Stream final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = nullptr;
    if (id != IID_IUnknown && id != IID_IDispatch) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&references);
    if (left == 0) delete this;
    return ULONG(left);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = nullptr;
    return E_NOTIMPL;
  }
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

 private:
  LONG references = 1;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = nullptr;
    if (id != IID_IUnknown && id != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // A static object: COM's references never free it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Stream* stream = new Stream;
    HRESULT result = stream->QueryInterface(id, object);
    stream->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

}  // namespace

RefusingStreamCalls& RefusingStreamCallsSoFar() { return calls; }

CharsetRefusingStreamRegistration::CharsetRefusingStreamRegistration() {
  calls = RefusingStreamCalls();
  // Whatever class "Adodb.Stream" names here: Wine's stand-in or the system's own.
  CLSID classId;
  if (FAILED(CLSIDFromProgID(L"Adodb.Stream", &classId))) return;
  if (FAILED(CoRegisterClassObject(classId, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie))) cookie = 0;
}

CharsetRefusingStreamRegistration::~CharsetRefusingStreamRegistration() {
  if (cookie) CoRevokeClassObject(cookie);
}
