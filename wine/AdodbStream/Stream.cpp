#include "wine/AdodbStream/Stream.h"

#include "system/Holders.h"
#include "wine/AdodbStream/StreamState.h"
#include "wine/AdodbStream/StreamText.h"

namespace {

LONG liveReferences = 0;

enum StreamMember : DISPID { kType = 1, kMode, kPosition, kCharset, kOpen, kWrite, kReadText, kClose };

OLECHAR* Name(const wchar_t* name) { return const_cast<OLECHAR*>(name); }

PARAMDATA numberValue[] = {{Name(L"Value"), VT_I4}};
PARAMDATA textValue[] = {{Name(L"Value"), VT_BSTR}};
PARAMDATA bufferValue[] = {{Name(L"Buffer"), VT_VARIANT}};

// The members as the type information describes them. The vtable slots are
// never called (Invoke below dispatches by member id) but must differ.
METHODDATA streamMembers[] = {
    {Name(L"Type"), nullptr, kType, 7, CC_STDCALL, 0, DISPATCH_PROPERTYGET, VT_I4},
    {Name(L"Type"), numberValue, kType, 8, CC_STDCALL, 1, DISPATCH_PROPERTYPUT, VT_EMPTY},
    {Name(L"Mode"), nullptr, kMode, 9, CC_STDCALL, 0, DISPATCH_PROPERTYGET, VT_I4},
    {Name(L"Mode"), numberValue, kMode, 10, CC_STDCALL, 1, DISPATCH_PROPERTYPUT, VT_EMPTY},
    {Name(L"Position"), nullptr, kPosition, 11, CC_STDCALL, 0, DISPATCH_PROPERTYGET, VT_I4},
    {Name(L"Position"), numberValue, kPosition, 12, CC_STDCALL, 1, DISPATCH_PROPERTYPUT, VT_EMPTY},
    {Name(L"Charset"), nullptr, kCharset, 13, CC_STDCALL, 0, DISPATCH_PROPERTYGET, VT_BSTR},
    {Name(L"Charset"), textValue, kCharset, 14, CC_STDCALL, 1, DISPATCH_PROPERTYPUT, VT_EMPTY},
    {Name(L"Open"), nullptr, kOpen, 15, CC_STDCALL, 0, DISPATCH_METHOD, VT_EMPTY},
    {Name(L"Write"), bufferValue, kWrite, 16, CC_STDCALL, 1, DISPATCH_METHOD, VT_EMPTY},
    {Name(L"ReadText"), nullptr, kReadText, 17, CC_STDCALL, 0, DISPATCH_METHOD, VT_BSTR},
    {Name(L"Close"), nullptr, kClose, 18, CC_STDCALL, 0, DISPATCH_METHOD, VT_EMPTY},
};
INTERFACEDATA streamInterface = {streamMembers, sizeof streamMembers / sizeof streamMembers[0]};

// The interface's own type information (CreateDispTypeInfo answers the class
// around it), which is what IDispatch::GetTypeInfo is meant to give.
HRESULT CreateInterfaceTypeInfo(ComReference<ITypeInfo>& result) {
  ComReference<ITypeInfo> classInfo;
  HRESULT status = CreateDispTypeInfo(&streamInterface, LOCALE_SYSTEM_DEFAULT, classInfo.Receive());
  if (FAILED(status)) return status;
  HREFTYPE interfaceReference = 0;
  status = classInfo->GetRefTypeOfImplType(0, &interfaceReference);
  if (FAILED(status)) return status;
  return classInfo->GetRefTypeInfo(interfaceReference, result.Receive());
}

class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value); }
  ~OwnedVariant() { VariantClear(&value); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
  VARIANT value;
};

// ADO's own error numbers, so that a caller reading the exception sees the usual ones.
SCODE FaultCode(StreamFault fault) {
  int number = 3001;
  if (fault == StreamFault::Closed) number = 3704;
  if (fault == StreamFault::AlreadyOpen) number = 3705;
  if (fault == StreamFault::NotAllowedHere) number = 3219;
  return MAKE_SCODE(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

const wchar_t* FaultDescription(StreamFault fault) {
  switch (fault) {
    case StreamFault::Closed: return L"The stream is closed.";
    case StreamFault::AlreadyOpen: return L"The stream is open.";
    case StreamFault::NotAllowedHere: return L"Not allowed in the stream's present type or position.";
    case StreamFault::UnknownCharset: return L"The charset is not known.";
    case StreamFault::DecodeFailed: return L"The bytes cannot be read in this charset.";
    default: return L"The value is out of range.";
  }
}

HRESULT Outcome(StreamFault fault, EXCEPINFO* exception) {
  if (fault == StreamFault::None) return S_OK;
  if (exception) {
    *exception = EXCEPINFO{};
    exception->bstrSource = SysAllocString(L"Adodb.Stream");
    exception->bstrDescription = SysAllocString(FaultDescription(fault));
    exception->scode = FaultCode(fault);
  }
  return DISP_E_EXCEPTION;
}

// The value of a property write, converted to the property's type.
HRESULT WrittenValue(const DISPPARAMS& parameters, VARTYPE type, OwnedVariant& value, UINT* argumentError) {
  if (parameters.cArgs != 1) return DISP_E_BADPARAMCOUNT;
  if (parameters.cNamedArgs > 1 ||
      (parameters.cNamedArgs == 1 && parameters.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
    return DISP_E_NONAMEDARGS;
  }
  if (FAILED(VariantChangeType(&value.value, &parameters.rgvarg[0], 0, type))) {
    if (argumentError) *argumentError = 0;
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

class Stream final : public IDispatch {
 public:
  Stream() { InterlockedIncrement(&liveReferences); }
  ~Stream() { InterlockedDecrement(&liveReferences); }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  HRESULT Initialise() { return CreateInterfaceTypeInfo(typeInfo); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (interfaceId != IID_IUnknown && interfaceId != IID_IDispatch) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG remaining = InterlockedDecrement(&references);
    if (remaining == 0) delete this;
    return remaining;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    typeInfo->AddRef();
    *result = typeInfo.Get();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* members) override {
    return DispGetIDsOfNames(typeInfo.Get(), names, count, members);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    DISPPARAMS none{};
    const DISPPARAMS& arguments = parameters ? *parameters : none;
    if (result) VariantInit(result);
    switch (member) {
      case kType:
      case kMode:
      case kPosition:
      case kCharset:
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
          return WriteProperty(member, arguments, exception, argumentError);
        }
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
        return ReadProperty(member, arguments, result, exception);
      case kOpen:
      case kWrite:
      case kReadText:
      case kClose:
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        return CallMethod(member, arguments, result, exception, argumentError);
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  HRESULT ReadProperty(DISPID member, const DISPPARAMS& arguments, VARIANT* result, EXCEPINFO* exception) {
    if (arguments.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    StreamFault fault = StreamFault::None;
    if (member == kType) V_I4(&value) = state.Type();
    if (member == kMode) V_I4(&value) = state.Mode();
    if (member == kPosition) fault = state.Position(V_I4(&value));
    if (member == kCharset) {
      V_VT(&value) = VT_BSTR;
      V_BSTR(&value) = SysAllocString(state.Charset().c_str());
      if (!V_BSTR(&value)) return E_OUTOFMEMORY;
    }
    if (fault != StreamFault::None) return Outcome(fault, exception);
    if (result) {
      *result = value;
    } else {
      VariantClear(&value);
    }
    return S_OK;
  }

  HRESULT WriteProperty(DISPID member, const DISPPARAMS& arguments, EXCEPINFO* exception, UINT* argumentError) {
    OwnedVariant value;
    HRESULT status = WrittenValue(arguments, member == kCharset ? VT_BSTR : VT_I4, value, argumentError);
    if (FAILED(status)) return status;
    StreamFault fault = StreamFault::None;
    if (member == kType) fault = state.SetType(V_I4(&value.value));
    if (member == kMode) fault = state.SetMode(V_I4(&value.value));
    if (member == kPosition) fault = state.SetPosition(V_I4(&value.value));
    if (member == kCharset) fault = state.SetCharset(V_BSTR(&value.value));
    return Outcome(fault, exception);
  }

  HRESULT CallMethod(DISPID member, const DISPPARAMS& arguments, VARIANT* result, EXCEPINFO* exception,
                     UINT* argumentError) {
    if (arguments.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (arguments.cArgs != (member == kWrite ? 1u : 0u)) return DISP_E_BADPARAMCOUNT;
    if (member == kOpen) return Outcome(state.Open(), exception);
    if (member == kClose) return Outcome(state.Close(), exception);
    if (member == kWrite) return WriteBytes(arguments.rgvarg[0], exception, argumentError);
    BSTR text = nullptr;
    StreamFault fault = ReadText(state, text);
    if (fault != StreamFault::None) return Outcome(fault, exception);
    if (!result) {
      SysFreeString(text);
      return S_OK;
    }
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = text;
    return S_OK;
  }

  // The buffer is a one-dimensional array of bytes, whatever its lower bound,
  // passed directly or by reference.
  HRESULT WriteBytes(const VARIANT& buffer, EXCEPINFO* exception, UINT* argumentError) {
    OwnedVariant direct;
    if (FAILED(VariantCopyInd(&direct.value, const_cast<VARIANT*>(&buffer)))) return E_OUTOFMEMORY;
    SAFEARRAY* array = V_VT(&direct.value) == (VT_ARRAY | VT_UI1) ? V_ARRAY(&direct.value) : nullptr;
    if (!array || SafeArrayGetDim(array) != 1) {
      if (argumentError) *argumentError = 0;
      return DISP_E_TYPEMISMATCH;
    }
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    size_t count = upper >= lower ? static_cast<size_t>(upper - lower) + 1 : 0;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return E_UNEXPECTED;
    StreamFault fault = state.Write(static_cast<const unsigned char*>(data), count);
    SafeArrayUnaccessData(array);
    return Outcome(fault, exception);
  }

  LONG references = 1;
  ComReference<ITypeInfo> typeInfo;
  StreamState state;
};

}  // namespace

HRESULT CreateStream(REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  Stream* stream = new Stream;  // a failed allocation is the process's fatal report
  HRESULT status = stream->Initialise();
  if (SUCCEEDED(status)) status = stream->QueryInterface(interfaceId, object);
  stream->Release();
  return status;
}

LONG LiveStreamReferences() { return InterlockedCompareExchange(&liveReferences, 0, 0); }

void LockStreamModule(bool lock) {
  if (lock) {
    InterlockedIncrement(&liveReferences);
  } else {
    InterlockedDecrement(&liveReferences);
  }
}
