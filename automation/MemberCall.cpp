// The one member call behind every property and method operation: bind the
// name (type information, or the object's own names where it gives none),
// lay out the arguments, invoke, write back, convert the result.
#include <vector>

#include "automation/MemberCall.h"
#include "text/CodePage936.h"

namespace {

thread_local int lastComError = kComSuccess;

enum class Request { Read, Write, Call };

// The invocation kinds of each request, in the order they are tried.
constexpr std::initializer_list<INVOKEKIND> kReadKinds = {INVOKE_PROPERTYGET, INVOKE_FUNC};
constexpr std::initializer_list<INVOKEKIND> kWriteKinds = {INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF, INVOKE_FUNC};
constexpr std::initializer_list<INVOKEKIND> kCallKinds = {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT,
                                                          INVOKE_PROPERTYPUTREF};

// What ITypeComp::Bind handed out, released in reverse order.
class Binding {
 public:
  Binding() = default;
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;
  ~Binding() { Reset(); }

  void Reset() {
    if (kind == DESCKIND_FUNCDESC && typeInfo) typeInfo->ReleaseFuncDesc(bound.lpfuncdesc);
    if ((kind == DESCKIND_VARDESC || kind == DESCKIND_IMPLICITAPPOBJ) && typeInfo)
      typeInfo->ReleaseVarDesc(bound.lpvardesc);
    if (kind == DESCKIND_TYPECOMP && bound.lptcomp) bound.lptcomp->Release();
    kind = DESCKIND_NONE;
    bound = BINDPTR{};
    typeInfo.Reset();
  }

  ComReference<ITypeInfo> typeInfo;
  DESCKIND kind = DESCKIND_NONE;
  BINDPTR bound{};
};

// The member as the call sees it.
struct Member {
  DISPID id = DISPID_UNKNOWN;
  WORD invokeFlags = 0;
  int declaredCount = 0;
  const ELEMDESC* parameters = nullptr;
  bool described = false;  // false when the object gave no type information
  bool variadic = false;

  // The declared parameter of argument `at` (0-based, caller's order);
  // surplus arguments of a variadic member are described like the last one.
  const ELEMDESC* ParameterOf(size_t at) const {
    if (!described || declaredCount == 0) return nullptr;
    return &parameters[at < size_t(declaredCount) ? at : size_t(declaredCount - 1)];
  }
};

bool IsArrayType(VARTYPE type) { return type == VT_SAFEARRAY || (type & VT_ARRAY) != 0; }

// Binds through type information; returns 0 or a code, kComNoTypeInformation
// when the object has no usable type information.
int BindByTypeInformation(IDispatch* dispatch, const std::wstring& name, Request request, LCID locale,
                          Binding& binding, Member& member) {
  ComReference<ITypeComp> typeComp;
  {
    ComReference<ITypeInfo> typeInfo;
    if (FAILED(dispatch->GetTypeInfo(0, locale, typeInfo.Receive())) || !typeInfo) return kComNoTypeInformation;
    if (FAILED(typeInfo->GetTypeComp(typeComp.Receive())) || !typeComp) return kComNoTypeInformation;
  }
  ULONG hash = LHashValOfNameSys(SYS_WIN32, locale, name.c_str());
  std::initializer_list<INVOKEKIND> kinds = request == Request::Read    ? kReadKinds
                                            : request == Request::Write ? kWriteKinds
                                                                        : kCallKinds;
  std::wstring mutableName = name;  // Bind takes a non-const name
  for (INVOKEKIND kind : kinds) {
    binding.Reset();
    HRESULT bound = typeComp->Bind(mutableName.data(), hash, WORD(kind), binding.typeInfo.Receive(),
                                   &binding.kind, &binding.bound);
    if (SUCCEEDED(bound) && binding.kind != DESCKIND_NONE) break;
    if (FAILED(bound)) {  // nothing was handed out but perhaps the type information
      binding.kind = DESCKIND_NONE;
      binding.bound = BINDPTR{};
    }
  }
  switch (binding.kind) {
    case DESCKIND_FUNCDESC: {
      const FUNCDESC& function = *binding.bound.lpfuncdesc;
      member.id = function.memid;
      member.invokeFlags = WORD(function.invkind);
      member.declaredCount = function.cParams;
      member.parameters = function.lprgelemdescParam;
      member.variadic = function.cParams >= 1 && function.cParamsOpt == -1;
      member.described = true;
      return kComSuccess;
    }
    case DESCKIND_VARDESC:
    case DESCKIND_IMPLICITAPPOBJ: {
      const VARDESC& variable = *binding.bound.lpvardesc;
      member.id = variable.memid;
      member.described = true;
      if (request == Request::Write) {
        VARTYPE type = variable.elemdescVar.tdesc.vt;
        bool byReference = IsArrayType(type) || type == VT_UNKNOWN || type == VT_DISPATCH;
        member.invokeFlags = byReference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
        member.declaredCount = 1;
        member.parameters = &variable.elemdescVar;
      } else {
        member.invokeFlags = DISPATCH_PROPERTYGET;
        member.declaredCount = 0;
      }
      return kComSuccess;
    }
    default:
      return kComUnknownName;
  }
}

// Wine's objects returned by VBScript.RegExp give no type information but
// know their names; the request's kinds then go to Invoke together.
int BindByNames(IDispatch* dispatch, const std::wstring& name, Request request, LCID locale, Member& member) {
  HRESULT found = MemberIdOf(dispatch, name.c_str(), locale, member.id);
  if (found == DISP_E_UNKNOWNNAME) return kComUnknownName;
  if (FAILED(found)) return kComNoTypeInformation;
  member.invokeFlags = request == Request::Read    ? DISPATCH_PROPERTYGET | DISPATCH_METHOD
                       : request == Request::Write ? DISPATCH_PROPERTYPUT
                                                   : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  return kComSuccess;
}

int InvokeFailureCode(HRESULT result) {
  switch (result) {
    case DISP_E_BADPARAMCOUNT: return kComBadParameterCount;
    case DISP_E_BADVARTYPE: return kComBadVariantType;
    case DISP_E_EXCEPTION: return kComException;
    case DISP_E_MEMBERNOTFOUND: return kComMemberNotFound;
    case DISP_E_NONAMEDARGS: return kComNoNamedArguments;
    case DISP_E_OVERFLOW: return kComOverflow;
    case DISP_E_PARAMNOTFOUND: return kComParameterNotFound;
    case DISP_E_TYPEMISMATCH: return kComTypeMismatch;
    case DISP_E_PARAMNOTOPTIONAL: return kComParameterNotOptional;
    default: return kComOtherFailure;
  }
}

// Both variant slots of every argument, cleared whatever happens.
class ArgumentSlots {
 public:
  explicit ArgumentSlots(size_t count) : sent(count), held(count), sentByReference(count, false) {
    for (size_t at = 0; at < count; ++at) {
      VariantInit(&sent[at]);
      VariantInit(&held[at]);
    }
  }
  ArgumentSlots(const ArgumentSlots&) = delete;
  ArgumentSlots& operator=(const ArgumentSlots&) = delete;
  ~ArgumentSlots() {
    // A by-reference argument only points at its held slot.
    for (size_t at = 0; at < sent.size(); ++at) {
      if (!sentByReference[at]) VariantClear(&sent[at]);
      VariantClear(&held[at]);
    }
  }

  std::vector<VARIANT> sent;  // in Automation order: the last argument first
  std::vector<VARIANT> held;
  std::vector<bool> sentByReference;
};

void SetMissingMarker(VARIANT& slot) {
  slot.vt = VT_ERROR;
  slot.scode = DISP_E_PARAMNOTFOUND;
}

// Sends `value` (owned) into `sent`, by reference to `held` when the
// parameter is declared so. Returns whether it went by reference.
bool PlaceArgument(VARIANT& value, const ELEMDESC* parameter, VARIANT& sent, VARIANT& held) {
  if (!parameter || parameter->tdesc.vt != VT_PTR || !parameter->tdesc.lptdesc) {
    sent = value;
    return false;
  }
  VARTYPE declared = parameter->tdesc.lptdesc->vt;
  held = value;
  if (declared == VT_VARIANT) {
    sent.vt = VT_BYREF | VT_VARIANT;
    sent.pvarVal = &held;
    return true;
  }
  if (IsArrayType(declared) && (held.vt & VT_ARRAY)) {
    sent.vt = VT_BYREF | held.vt;
    sent.pparray = &held.parray;
    return true;
  }
  if (!IsArrayType(declared) && declared != VT_USERDEFINED && declared != VT_PTR &&
      SUCCEEDED(VariantChangeType(&held, &held, 0, declared))) {
    sent.vt = VT_BYREF | declared;
    sent.byref = &held.lVal;  // every member of the value union starts here
    return true;
  }
  sent = held;
  VariantInit(&held);
  return false;
}

// Steps from binding to write-back; `result` (cleared) receives the value.
int CallMember(const ComObject& object, TextView name, Request request, Arguments arguments, VARIANT& result) {
  std::wstring wideName = TextToUtf16(name);
  if (object.IsEmpty()) return kComEmptyHolder;
  ComReference<IDispatch> dispatch = DispatchOf(object.Get());
  if (!dispatch) return kComNoDispatch;
  LCID locale = GetUserDefaultLCID();
  Binding binding;
  Member member;
  int code = BindByTypeInformation(dispatch.Get(), wideName, request, locale, binding, member);
  if (code == kComNoTypeInformation) code = BindByNames(dispatch.Get(), wideName, request, locale, member);
  if (code != kComSuccess) return code;

  const Argument* first = arguments.begin();
  size_t count = arguments.size();
  while (count > 0 && first[count - 1].GetKind() == Argument::Kind::Omitted) --count;
  if (member.described && count > size_t(member.declaredCount) && !member.variadic) return kComTooManyArguments;

  ArgumentSlots slots(count);
  for (size_t at = 0; at < count; ++at) {
    size_t slot = count - 1 - at;
    VARIANT value;
    if (!first[at].ToVariant(value)) return kComUnsendableArgument;
    if (value.vt == VT_EMPTY) {
      SetMissingMarker(slots.sent[slot]);
      continue;
    }
    slots.sentByReference[slot] = PlaceArgument(value, member.ParameterOf(at), slots.sent[slot], slots.held[slot]);
  }

  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{count ? slots.sent.data() : nullptr, nullptr, UINT(count), 0};
  if ((member.invokeFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && count > 0) {
    parameters.rgdispidNamedArgs = &putId;
    parameters.cNamedArgs = 1;
  }
  HRESULT invoked = InvokeDispatch(dispatch.Get(), member.id, member.invokeFlags, locale, parameters, result);
  if (FAILED(invoked)) return InvokeFailureCode(invoked);

  for (size_t at = 0; at < count; ++at) {
    size_t slot = count - 1 - at;
    if (!first[at].IsByReference() || !slots.sentByReference[slot]) continue;
    const ELEMDESC* parameter = member.ParameterOf(at);
    if (parameter && (parameter->paramdesc.wParamFlags & PARAMFLAG_FOUT)) first[at].WriteBack(slots.held[slot]);
  }
  return kComSuccess;
}

// Runs the call and converts its result to `wanted` (VT_EMPTY: no result,
// VT_VARIANT: the value unchanged) into `converted`; sets LastComError.
bool InvokeFor(const ComObject& object, TextView name, Request request, Arguments arguments, VARTYPE wanted,
               Variant& converted) {
  converted.Clear();
  Variant result;
  result.Clear();
  int code = CallMember(object, name, request, arguments, result.Raw());
  if (code == kComSuccess && wanted == VT_VARIANT && FAILED(VariantCopy(&converted.Raw(), &result.Raw())))
    code = kComUnconvertibleResult;
  if (code == kComSuccess && wanted != VT_VARIANT && wanted != VT_EMPTY &&
      FAILED(VariantChangeType(&converted.Raw(), &result.Raw(), 0, wanted)))
    code = kComUnconvertibleResult;
  if (code != kComSuccess) converted.Clear();
  lastComError = code;
  return code == kComSuccess;
}

Text TextResult(const ComObject& object, TextView name, Request request, Arguments arguments) {
  Variant converted;
  if (!InvokeFor(object, name, request, arguments, VT_BSTR, converted)) return {};
  return converted.ToText();
}

double NumberResult(const ComObject& object, TextView name, Request request, Arguments arguments) {
  Variant converted;
  if (!InvokeFor(object, name, request, arguments, VT_R8, converted)) return 0;
  return converted.Raw().dblVal;
}

ComObject ObjectResult(const ComObject& object, TextView name, Request request, Arguments arguments) {
  Variant converted;
  if (!InvokeFor(object, name, request, arguments, VT_UNKNOWN, converted)) return {};
  // The holder takes over the variant's reference.
  ComObject delivered(converted.Raw().punkVal);
  converted.Raw().vt = VT_EMPTY;
  return delivered;
}

}  // namespace

int LastComError() { return lastComError; }

HRESULT InvokeDispatch(IDispatch* object, DISPID member, WORD flags, LCID locale, DISPPARAMS& parameters,
                       VARIANT& result) {
  UINT argumentError = 0;
  return object->Invoke(member, IID_NULL, locale, flags, &parameters, &result, nullptr, &argumentError);
}

ComReference<IDispatch> DispatchOf(IUnknown* object) {
  ComReference<IDispatch> dispatch;
  if (object && FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Receive()))))
    dispatch.Reset();
  return dispatch;
}

HRESULT MemberIdOf(IDispatch* object, const wchar_t* name, LCID locale, DISPID& id) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, locale, &id);
}

Text ReadTextPropertyArguments(const ComObject& object, TextView name, Arguments arguments) {
  return TextResult(object, name, Request::Read, arguments);
}

double ReadNumberPropertyArguments(const ComObject& object, TextView name, Arguments arguments) {
  return NumberResult(object, name, Request::Read, arguments);
}

ComObject ReadObjectPropertyArguments(const ComObject& object, TextView name, Arguments arguments) {
  return ObjectResult(object, name, Request::Read, arguments);
}

Variant ReadPropertyArguments(const ComObject& object, TextView name, Arguments arguments) {
  Variant value;
  if (!InvokeFor(object, name, Request::Read, arguments, VT_VARIANT, value)) value.Clear();
  return value;
}

bool WritePropertyArguments(const ComObject& object, TextView name, Arguments arguments) {
  Variant unused;
  return InvokeFor(object, name, Request::Write, arguments, VT_EMPTY, unused);
}

bool CallMethodArguments(const ComObject& object, TextView name, Arguments arguments) {
  Variant unused;
  return InvokeFor(object, name, Request::Call, arguments, VT_EMPTY, unused);
}

Text CallTextMethodArguments(const ComObject& object, TextView name, Arguments arguments) {
  return TextResult(object, name, Request::Call, arguments);
}

double CallNumberMethodArguments(const ComObject& object, TextView name, Arguments arguments) {
  return NumberResult(object, name, Request::Call, arguments);
}

ComObject CallObjectMethodArguments(const ComObject& object, TextView name, Arguments arguments) {
  return ObjectResult(object, name, Request::Call, arguments);
}
