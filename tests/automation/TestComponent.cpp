#include "TestComponent.h"

#include <oleauto.h>

#include <cwchar>
#include <memory>
#include <string>

#include "system/Holders.h"

const CLSID kDescribedComponent = {0x6B2C3C1E, 0x3E0A, 0x4C3B, {0x9A, 0x57, 0x1D, 0x2B, 0x7E, 0x9F, 0x0A, 0x11}};
const CLSID kNamesOnlyComponent = {0x6B2C3C1E, 0x3E0A, 0x4C3B, {0x9A, 0x57, 0x1D, 0x2B, 0x7E, 0x9F, 0x0A, 0x12}};
const CLSID kSilentComponent = {0x6B2C3C1E, 0x3E0A, 0x4C3B, {0x9A, 0x57, 0x1D, 0x2B, 0x7E, 0x9F, 0x0A, 0x13}};
const CLSID kNoDispatchComponent = {0x6B2C3C1E, 0x3E0A, 0x4C3B, {0x9A, 0x57, 0x1D, 0x2B, 0x7E, 0x9F, 0x0A, 0x14}};

namespace {

enum MemberId : DISPID { kRecord = 1, kUpdate, kRaise, kMakeArray, kName, kPeek, kSum, kSelf };

const wchar_t* const kMemberNames[] = {L"Record", L"Update", L"Raise", L"MakeArray",
                                       L"Name", L"Peek", L"Sum", L"Self"};

thread_local ReceivedCall lastCall;
LONG destroyed = 0;

// One function of the type information.
struct FunctionShape {
  DISPID id;
  INVOKEKIND kind;
  VARTYPE result;
  std::vector<TYPEDESC> parameterTypes;
  std::vector<USHORT> parameterFlags;
  SHORT optionalCount;
  std::vector<const wchar_t*> names;  // the function's, then its parameters'
};

TYPEDESC Plain(VARTYPE type) {
  TYPEDESC description{};
  description.vt = type;
  return description;
}

TYPEDESC PointerTo(TYPEDESC* target) {
  TYPEDESC description{};
  description.vt = VT_PTR;
  description.lptdesc = target;
  return description;
}

ITypeInfo* BuildTypeInformation() {
  ComReference<ICreateTypeLib2> library;
  if (FAILED(CreateTypeLib2(SYS_WIN32, L"SeedSearchTestComponent.tlb", library.Receive()))) return nullptr;
  ComReference<ICreateTypeInfo> created;
  if (FAILED(library->CreateTypeInfo(const_cast<LPOLESTR>(L"TestComponent"), TKIND_DISPATCH, created.Receive())))
    return nullptr;
  ComReference<ITypeLib> standard;
  ComReference<ITypeInfo> dispatchInfo;
  HREFTYPE dispatchReference = 0;
  if (SUCCEEDED(LoadTypeLib(L"stdole2.tlb", standard.Receive())) &&
      SUCCEEDED(standard->GetTypeInfoOfGuid(IID_IDispatch, dispatchInfo.Receive())) &&
      SUCCEEDED(created->AddRefTypeInfo(dispatchInfo.Get(), &dispatchReference)))
    created->AddImplType(0, dispatchReference);

  static TYPEDESC text = Plain(VT_BSTR), number = Plain(VT_I4), any = Plain(VT_VARIANT);
  static TYPEDESC variants = [] {
    TYPEDESC description{};
    description.vt = VT_SAFEARRAY;
    description.lptdesc = &any;
    return description;
  }();
  const USHORT in = PARAMFLAG_FIN, inOut = PARAMFLAG_FIN | PARAMFLAG_FOUT, optional = PARAMFLAG_FIN | PARAMFLAG_FOPT;
  const FunctionShape shapes[] = {
      {kRecord, INVOKE_FUNC, VT_VARIANT, {any, any, any}, {optional, optional, optional}, 0, {L"Record", L"a", L"b", L"c"}},
      {kUpdate, INVOKE_FUNC, VT_VOID, {PointerTo(&text), PointerTo(&number), PointerTo(&any)}, {inOut, inOut, inOut}, 0,
       {L"Update", L"text", L"number", L"any"}},
      {kRaise, INVOKE_FUNC, VT_VOID, {}, {}, 0, {L"Raise"}},
      {kMakeArray, INVOKE_FUNC, VT_VARIANT, {}, {}, 0, {L"MakeArray"}},
      {kName, INVOKE_PROPERTYGET, VT_BSTR, {}, {}, 0, {L"Name"}},
      {kName, INVOKE_PROPERTYPUT, VT_VOID, {text}, {in}, 0, {L"Name", L"value"}},
      {kPeek, INVOKE_FUNC, VT_VOID, {PointerTo(&number)}, {in}, 0, {L"Peek", L"number"}},
      {kSum, INVOKE_FUNC, VT_I4, {number, variants}, {in, in}, -1, {L"Sum", L"first", L"rest"}},
      {kSelf, INVOKE_PROPERTYGET, VT_DISPATCH, {}, {}, 0, {L"Self"}},
  };
  UINT index = 0;
  for (const FunctionShape& shape : shapes) {
    std::vector<ELEMDESC> parameters(shape.parameterTypes.size());
    for (size_t at = 0; at < parameters.size(); ++at) {
      parameters[at] = ELEMDESC{};
      parameters[at].tdesc = shape.parameterTypes[at];
      parameters[at].paramdesc.wParamFlags = shape.parameterFlags[at];
    }
    FUNCDESC function{};
    function.memid = shape.id;
    function.funckind = FUNC_DISPATCH;
    function.invkind = shape.kind;
    function.callconv = CC_STDCALL;
    function.cParams = SHORT(parameters.size());
    function.cParamsOpt = shape.optionalCount;
    function.lprgelemdescParam = parameters.empty() ? nullptr : parameters.data();
    function.elemdescFunc.tdesc.vt = shape.result;
    if (FAILED(created->AddFuncDesc(index, &function))) return nullptr;
    // A property put names no parameters of its own.
    UINT nameCount = shape.kind == INVOKE_PROPERTYPUT ? 1 : UINT(shape.names.size());
    if (FAILED(created->SetFuncAndParamNames(index, const_cast<LPOLESTR*>(shape.names.data()), nameCount)))
      return nullptr;
    ++index;
  }
  if (FAILED(created->LayOut())) return nullptr;
  ITypeInfo* typeInfo = nullptr;
  if (FAILED(created->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&typeInfo)))) return nullptr;
  return typeInfo;
}

class Component final : public IDispatch {
 public:
  Component(ComponentMode mode, ITypeInfo* typeInfo) : mode(mode), typeInfo(typeInfo) {
    if (typeInfo) typeInfo->AddRef();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = nullptr;
    if (id == IID_IUnknown || (id == IID_IDispatch && mode != ComponentMode::NoDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&references);
    if (left == 0) {
      if (typeInfo) typeInfo->Release();
      InterlockedIncrement(&destroyed);
      delete this;
    }
    return ULONG(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = mode == ComponentMode::Described ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** result) override {
    *result = nullptr;
    if (mode != ComponentMode::Described || !typeInfo) return E_NOTIMPL;
    if (index != 0) return DISP_E_BADINDEX;
    typeInfo->AddRef();
    *result = typeInfo;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (mode == ComponentMode::Silent) return E_NOTIMPL;
    if (count != 1) return DISP_E_UNKNOWNNAME;
    for (size_t at = 0; at < std::size(kMemberNames); ++at) {
      if (_wcsicmp(names[0], kMemberNames[at]) == 0) {
        ids[0] = DISPID(at + 1);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    Record(member, flags, *parameters);
    VARIANT* arguments = parameters->rgvarg;  // the last argument first
    UINT count = parameters->cArgs;
    switch (member) {
      case kRecord:
        if (result) {
          result->vt = VT_I4;
          result->lVal = LONG(count);
        }
        return S_OK;
      case kUpdate: {
        if (count != 3 || arguments[2].vt != (VT_BYREF | VT_BSTR) || arguments[1].vt != (VT_BYREF | VT_I4) ||
            arguments[0].vt != (VT_BYREF | VT_VARIANT))
          return DISP_E_TYPEMISMATCH;
        std::wstring updated(*arguments[2].pbstrVal, SysStringLen(*arguments[2].pbstrVal));
        updated += L"\u53D8";  // 变
        SysFreeString(*arguments[2].pbstrVal);
        *arguments[2].pbstrVal = SysAllocStringLen(updated.data(), UINT(updated.size()));
        *arguments[1].plVal += 1;
        VariantClear(arguments[0].pvarVal);
        arguments[0].pvarVal->vt = VT_BSTR;
        arguments[0].pvarVal->bstrVal = SysAllocString(L"changed");
        return S_OK;
      }
      case kRaise:
        return DISP_E_EXCEPTION;
      case kMakeArray: {
        SAFEARRAYBOUND bound{4, 0};
        if (result) {
          result->vt = VT_ARRAY | VT_I4;
          result->parray = SafeArrayCreate(VT_I4, 1, &bound);
        }
        return S_OK;
      }
      case kName:
        if (flags & DISPATCH_PROPERTYPUT) {
          if (count != 1 || parameters->cNamedArgs != 1 || parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
          VARIANT text;
          VariantInit(&text);
          if (FAILED(VariantChangeType(&text, &arguments[0], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
          name.assign(text.bstrVal, SysStringLen(text.bstrVal));
          VariantClear(&text);
          return S_OK;
        }
        if (result) {
          result->vt = VT_BSTR;
          result->bstrVal = SysAllocStringLen(name.data(), UINT(name.size()));
        }
        return S_OK;
      case kPeek:
        if (count == 1 && arguments[0].vt == (VT_BYREF | VT_I4)) *arguments[0].plVal = 99;
        return S_OK;
      case kSum: {
        LONG sum = 0;
        for (UINT at = 0; at < count; ++at) {
          VARIANT term;
          VariantInit(&term);
          if (FAILED(VariantChangeType(&term, &arguments[at], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
          sum += term.lVal;
        }
        if (result) {
          result->vt = VT_I4;
          result->lVal = sum;
        }
        return S_OK;
      }
      case kSelf:
        if (result) {
          AddRef();
          result->vt = VT_DISPATCH;
          result->pdispVal = this;
        }
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  void Record(DISPID member, WORD flags, const DISPPARAMS& parameters) {
    ++lastCall.invokeCount;
    lastCall.member = member;
    lastCall.flags = flags;
    lastCall.types.clear();
    lastCall.values.clear();
    lastCall.named.assign(parameters.rgdispidNamedArgs, parameters.rgdispidNamedArgs + parameters.cNamedArgs);
    for (UINT at = 0; at < parameters.cArgs; ++at) {
      lastCall.types.push_back(parameters.rgvarg[at].vt);
      Variant copy;
      copy.Clear();
      if (FAILED(VariantCopyInd(&copy.Raw(), &parameters.rgvarg[at]))) copy.Clear();
      lastCall.values.push_back(std::move(copy));
    }
  }

  LONG references = 1;
  ComponentMode mode;
  ITypeInfo* typeInfo;
  std::wstring name = L"initial";
};

}  // namespace

ReceivedCall& LastReceivedCall() { return lastCall; }

int DestroyedComponents() { return int(InterlockedCompareExchange(&destroyed, 0, 0)); }

TestComponentRegistration::TestComponentRegistration() {
  // Shared by the class objects, each of which may outlive the registration
  // while a caller of CoGetClassObject holds it.
  const auto typeInfo = std::make_shared<ComReference<ITypeInfo>>(BuildTypeInformation());
  const std::pair<const CLSID*, ComponentMode> classes[] = {{&kDescribedComponent, ComponentMode::Described},
                                                            {&kNamesOnlyComponent, ComponentMode::NamesOnly},
                                                            {&kSilentComponent, ComponentMode::Silent},
                                                            {&kNoDispatchComponent, ComponentMode::NoDispatch}};
  for (const auto& [classId, mode] : classes) {
    classObjects.emplace_back(*classId, [mode = mode, typeInfo] {
      return static_cast<IUnknown*>(new Component(mode, typeInfo->Get()));
    });
  }
  progId.emplace(L"SeedSearch.TestComponent", L"{6B2C3C1E-3E0A-4C3B-9A57-1D2B7E9F0A11}");
}
