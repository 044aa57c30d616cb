#pragma once
// Late-bound member calls: the properties and methods of an Automation object
// reached by name. Nothing here raises or shows a message: a failing
// operation returns the empty value of its kind and leaves a code in the
// calling thread's LastComError (see ComError below).
#include "automation/Argument.h"
#include "automation/ComObject.h"
#include "automation/Variant.h"
#include "system/Holders.h"
#include "text/Text.h"

// The codes left in LastComError by every property and method operation.
enum ComError : int {
  kComSuccess = 0,
  kComEmptyHolder = -1,
  kComNoDispatch = -2,
  kComUnknownName = -3,
  kComNoTypeInformation = -4,
  kComTooManyArguments = -5,
  kComUnsendableArgument = -7,
  kComUnconvertibleResult = -8,
  kComBadParameterCount = -9,
  kComBadVariantType = -10,
  kComException = -11,
  kComMemberNotFound = -12,
  kComNoNamedArguments = -13,
  kComOverflow = -14,
  kComParameterNotFound = -15,
  kComTypeMismatch = -16,
  kComParameterNotOptional = -17,
  kComOtherFailure = -18,
};

// The calling thread's code of its last property or method operation.
[[nodiscard]] int LastComError();

// The operations take the arguments in the member's declared order, as plain
// values: ReadProperty(list, "Item", 0.0), CallMethod(agent, "AddTask",
// ByReference(address)). The *Arguments forms do the work.
[[nodiscard]] Text ReadTextPropertyArguments(const ComObject& object, TextView name, Arguments arguments);
[[nodiscard]] double ReadNumberPropertyArguments(const ComObject& object, TextView name, Arguments arguments);
[[nodiscard]] ComObject ReadObjectPropertyArguments(const ComObject& object, TextView name, Arguments arguments);
[[nodiscard]] Variant ReadPropertyArguments(const ComObject& object, TextView name, Arguments arguments);
// The last argument is the value to write. True exactly when LastComError is 0.
bool WritePropertyArguments(const ComObject& object, TextView name, Arguments arguments);
// True exactly when LastComError is 0: the object carried the call out.
bool CallMethodArguments(const ComObject& object, TextView name, Arguments arguments);
[[nodiscard]] Text CallTextMethodArguments(const ComObject& object, TextView name, Arguments arguments);
[[nodiscard]] double CallNumberMethodArguments(const ComObject& object, TextView name, Arguments arguments);
[[nodiscard]] ComObject CallObjectMethodArguments(const ComObject& object, TextView name, Arguments arguments);

template <typename... Values>
[[nodiscard]] Text ReadTextProperty(const ComObject& object, TextView name, const Values&... values) {
  return ReadTextPropertyArguments(object, name, {Argument(values)...});
}
template <typename... Values>
[[nodiscard]] double ReadNumberProperty(const ComObject& object, TextView name, const Values&... values) {
  return ReadNumberPropertyArguments(object, name, {Argument(values)...});
}
template <typename... Values>
[[nodiscard]] ComObject ReadObjectProperty(const ComObject& object, TextView name, const Values&... values) {
  return ReadObjectPropertyArguments(object, name, {Argument(values)...});
}
template <typename... Values>
[[nodiscard]] Variant ReadProperty(const ComObject& object, TextView name, const Values&... values) {
  return ReadPropertyArguments(object, name, {Argument(values)...});
}
template <typename... Values>
bool WriteProperty(const ComObject& object, TextView name, const Values&... values) {
  return WritePropertyArguments(object, name, {Argument(values)...});
}
template <typename... Values>
bool CallMethod(const ComObject& object, TextView name, const Values&... values) {
  return CallMethodArguments(object, name, {Argument(values)...});
}
template <typename... Values>
[[nodiscard]] Text CallTextMethod(const ComObject& object, TextView name, const Values&... values) {
  return CallTextMethodArguments(object, name, {Argument(values)...});
}
template <typename... Values>
[[nodiscard]] double CallNumberMethod(const ComObject& object, TextView name, const Values&... values) {
  return CallNumberMethodArguments(object, name, {Argument(values)...});
}
template <typename... Values>
[[nodiscard]] ComObject CallObjectMethod(const ComObject& object, TextView name, const Values&... values) {
  return CallObjectMethodArguments(object, name, {Argument(values)...});
}

// The one IDispatch::Invoke of the bridge: every operation above ends here,
// and so does a caller that fetched its member ids once (MemberIdOf) to reach
// many objects of one kind quickly. Leaves LastComError alone.
[[nodiscard]] HRESULT InvokeDispatch(IDispatch* object, DISPID member, WORD flags, LCID locale,
                                     DISPPARAMS& parameters, VARIANT& result);
// The object's IDispatch, or an empty holder.
[[nodiscard]] ComReference<IDispatch> DispatchOf(IUnknown* object);
// The member id of `name` as the object itself knows it (GetIDsOfNames).
[[nodiscard]] HRESULT MemberIdOf(IDispatch* object, const wchar_t* name, LCID locale, DISPID& id);
