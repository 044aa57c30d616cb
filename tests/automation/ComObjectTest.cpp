#include "automation/ComObject.h"
#include "automation/MemberCall.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "TestComponent.h"
#include "automation/ComApartment.h"

namespace {

class Bridge : public ::testing::Test {
 protected:
  ComObject Make(TextView name) {
    ComObject object;
    EXPECT_TRUE(object.Create(name)) << name;
    return object;
  }
  static std::wstring Wide(const VARIANT& value) { return std::wstring(value.bstrVal, SysStringLen(value.bstrVal)); }

  ComApartment apartment;
  TestComponentRegistration registration;
};

TEST_F(Bridge, CreatesByProgIdAndByClassIdInBraces) {
  ASSERT_TRUE(apartment.IsInitialised());
  ComObject byName;
  EXPECT_TRUE(byName.Create(kTestComponentProgId));
  EXPECT_FALSE(byName.IsEmpty());
  ComObject byClassId;
  EXPECT_TRUE(byClassId.Create(kTestComponentClassId));
  EXPECT_FALSE(byClassId.IsEmpty());
  // A name starting with a brace is never looked up as a ProgID.
  ComObject braced;
  EXPECT_FALSE(braced.Create("{SeedSearch.TestComponent}"));
  EXPECT_TRUE(braced.IsEmpty());
  byName.Clear();
  EXPECT_TRUE(byName.IsEmpty());
}

TEST_F(Bridge, CreateIntoAFullHolderReleasesTheOldObjectOnlyOnSuccess) {
  ComObject holder = Make(kTestComponentProgId);
  IUnknown* first = holder.Get();
  int destroyedBefore = DestroyedComponents();
  EXPECT_FALSE(holder.Create("SeedSearch.NoSuchComponent"));
  EXPECT_EQ(holder.Get(), first);
  EXPECT_EQ(DestroyedComponents(), destroyedBefore);
  EXPECT_TRUE(WriteProperty(holder, "Name", "kept"));

  EXPECT_TRUE(holder.Create(kTestComponentClassId));
  EXPECT_NE(holder.Get(), first);
  EXPECT_EQ(DestroyedComponents(), destroyedBefore + 1);
  EXPECT_EQ(ReadTextProperty(holder, "Name"), "initial");
}

TEST_F(Bridge, CreateLeavesLastComErrorAlone) {
  ComObject empty;
  CallMethod(empty, "Record");
  ASSERT_EQ(LastComError(), kComEmptyHolder);
  ComObject created = Make(kTestComponentProgId);
  EXPECT_FALSE(empty.Create("SeedSearch.NoSuchComponent"));
  EXPECT_EQ(LastComError(), kComEmptyHolder);
}

TEST_F(Bridge, EveryOperationOnAnEmptyHolderGivesTheEmptyValueAndMinusOne) {
  ComObject empty;
  EXPECT_EQ(ReadTextProperty(empty, "Name"), "");
  EXPECT_EQ(LastComError(), kComEmptyHolder);
  EXPECT_EQ(ReadNumberProperty(empty, "Name"), 0);
  EXPECT_EQ(LastComError(), kComEmptyHolder);
  EXPECT_TRUE(ReadObjectProperty(empty, "Self").IsEmpty());
  EXPECT_EQ(LastComError(), kComEmptyHolder);
  Variant read = ReadProperty(empty, "Name");
  EXPECT_EQ(read.Raw().vt, VT_EMPTY);
  EXPECT_EQ(LastComError(), kComEmptyHolder);
  EXPECT_FALSE(WriteProperty(empty, "Name", "x"));
  EXPECT_EQ(LastComError(), kComEmptyHolder);
  EXPECT_EQ(CallTextMethod(empty, "Record"), "");
  EXPECT_EQ(CallNumberMethod(empty, "Record"), 0);
  EXPECT_TRUE(CallObjectMethod(empty, "Record").IsEmpty());
  EXPECT_EQ(LastComError(), kComEmptyHolder);
}

TEST_F(Bridge, ArgumentsArriveReversedWithOmittedOnesMarkedOrDropped) {
  ComObject component = Make(kTestComponentProgId);
  EXPECT_EQ(CallNumberMethod(component, "Record", 7, Omitted, "三"), 3);  // 三: three
  EXPECT_EQ(LastComError(), kComSuccess);
  const ReceivedCall& call = LastReceivedCall();
  ASSERT_EQ(call.types.size(), 3u);
  EXPECT_EQ(call.types[0], VT_BSTR);
  EXPECT_EQ(Wide(call.values[0].Raw()), L"\u4E09");
  EXPECT_EQ(call.types[1], VT_ERROR);
  EXPECT_EQ(call.values[1].Raw().scode, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(call.types[2], VT_I4);
  EXPECT_EQ(call.values[2].Raw().lVal, 7);
  EXPECT_EQ(call.flags, DISPATCH_METHOD);

  // Omitted at the end: not sent at all.
  EXPECT_EQ(CallNumberMethod(component, "Record", 1, Omitted, Omitted), 1);
  // An empty Variant counts as omitted.
  Variant empty;
  empty.Clear();
  EXPECT_EQ(CallNumberMethod(component, "Record", empty, 2), 2);
  EXPECT_EQ(LastReceivedCall().types[1], VT_ERROR);
}

TEST_F(Bridge, EachValueKindIsSentAsItsAutomationType) {
  ComObject component = Make(kTestComponentProgId);
  CallMethod(component, "Record", true, short(-3), static_cast<unsigned char>(200));
  ASSERT_EQ(LastComError(), kComSuccess);
  const ReceivedCall& call = LastReceivedCall();
  EXPECT_EQ(call.types[2], VT_BOOL);
  EXPECT_EQ(call.values[2].Raw().boolVal, VARIANT_TRUE);
  EXPECT_EQ(call.types[1], VT_I2);
  EXPECT_EQ(call.values[1].Raw().iVal, -3);
  EXPECT_EQ(call.types[0], VT_UI1);
  EXPECT_EQ(call.values[0].Raw().bVal, 200);

  CallMethod(component, "Record", 1.5f, 2.25, DateTime{45000.5});
  EXPECT_EQ(call.types[2], VT_R4);
  EXPECT_EQ(call.values[2].Raw().fltVal, 1.5f);
  EXPECT_EQ(call.types[1], VT_R8);
  EXPECT_EQ(call.values[1].Raw().dblVal, 2.25);
  EXPECT_EQ(call.types[0], VT_DATE);
  EXPECT_EQ(call.values[0].Raw().date, 45000.5);

  // Only the low 32 bits of a 64-bit integer travel.
  CallMethod(component, "Record", 0x100000005LL, 0x180000000LL, -2LL);
  EXPECT_EQ(call.types[2], VT_I4);
  EXPECT_EQ(call.values[2].Raw().lVal, 5);
  EXPECT_EQ(call.values[1].Raw().lVal, LONG(0x80000000u));
  EXPECT_EQ(call.values[0].Raw().lVal, -2);

  Variant text;
  text.SetText("文");  // 文: text
  CallMethod(component, "Record", text);
  EXPECT_EQ(call.types[0], VT_BSTR);
  EXPECT_EQ(Wide(call.values[0].Raw()), L"\u6587");
}

TEST_F(Bridge, MoreArgumentsThanDeclaredFailBeforeTheCallUnlessVariadic) {
  ComObject component = Make(kTestComponentProgId);
  int invokesBefore = LastReceivedCall().invokeCount;
  EXPECT_EQ(CallNumberMethod(component, "Record", 1, 2, 3, 4), 0);
  EXPECT_EQ(LastComError(), kComTooManyArguments);
  EXPECT_EQ(LastReceivedCall().invokeCount, invokesBefore);
  EXPECT_FALSE(WriteProperty(component, "Name", "a", "b"));
  EXPECT_EQ(LastComError(), kComTooManyArguments);

  EXPECT_EQ(CallNumberMethod(component, "Sum", 1, 2, 3, 4, 5), 15);
  EXPECT_EQ(LastComError(), kComSuccess);
}

TEST_F(Bridge, AVariantThatCannotBeCopiedIsNotSent) {
  ComObject component = Make(kTestComponentProgId);
  int invokesBefore = LastReceivedCall().invokeCount;
  Variant unknownType;
  unknownType.Clear();
  unknownType.Raw().vt = 0x7F;  // no Automation type
  EXPECT_EQ(CallNumberMethod(component, "Record", 1, unknownType), 0);
  EXPECT_EQ(LastComError(), kComUnsendableArgument);
  EXPECT_EQ(LastReceivedCall().invokeCount, invokesBefore);
  unknownType.Raw().vt = VT_EMPTY;
}

TEST_F(Bridge, ByReferenceVariablesReceiveTheMembersOutputs) {
  ComObject component = Make(kTestComponentProgId);
  Text text = "abc";
  int number = 41;
  Variant any;
  CallMethod(component, "Update", ByReference(text), ByReference(number), ByReference(any));
  ASSERT_EQ(LastComError(), kComSuccess);
  EXPECT_EQ(text, "abc\xB1\xE4");  // 变: changed
  EXPECT_EQ(number, 42);
  EXPECT_EQ(any.Raw().vt, VT_BSTR);
  EXPECT_EQ(any.ToText(), "changed");

  // A variable of another kind goes as the declared type and comes back as its own.
  double real = 4.0;
  Text second = "";
  CallMethod(component, "Update", ByReference(second), ByReference(real), any);
  ASSERT_EQ(LastComError(), kComSuccess);
  EXPECT_EQ(real, 5.0);
  EXPECT_EQ(second, "\xB1\xE4");  // 变

  // Values (not variables) reach by-reference parameters as references too.
  CallMethod(component, "Update", "x", 1, any);
  EXPECT_EQ(LastComError(), kComSuccess);
  EXPECT_EQ(LastReceivedCall().types[2], VT_BYREF | VT_BSTR);
}

TEST_F(Bridge, APointerParameterThatIsNoOutputIsNotWrittenBack) {
  ComObject component = Make(kTestComponentProgId);
  int number = 5;
  CallMethod(component, "Peek", ByReference(number));
  EXPECT_EQ(LastComError(), kComSuccess);
  EXPECT_EQ(LastReceivedCall().types[0], VT_BYREF | VT_I4);
  EXPECT_EQ(number, 5);
}

TEST_F(Bridge, PropertiesAreWrittenWithTheNamedPutArgumentAndReadBackByAnyLetterCase) {
  ComObject component = Make(kTestComponentProgId);
  Text name = "新名字";  // 新名字: new name
  EXPECT_TRUE(WriteProperty(component, "Name", ByReference(name)));
  const ReceivedCall& call = LastReceivedCall();
  EXPECT_EQ(call.flags, DISPATCH_PROPERTYPUT);
  ASSERT_EQ(call.named.size(), 1u);
  EXPECT_EQ(call.named[0], DISPID_PROPERTYPUT);
  EXPECT_EQ(Wide(call.values[0].Raw()), L"\u65B0\u540D\u5B57");
  EXPECT_EQ(ReadTextProperty(component, "nAmE"), name);
  EXPECT_EQ(LastComError(), kComSuccess);
  EXPECT_EQ(LastReceivedCall().flags, DISPATCH_PROPERTYGET);
  EXPECT_TRUE(WriteProperty(component, "Name", 12));
  EXPECT_EQ(ReadNumberProperty(component, "Name"), 12);
}

TEST_F(Bridge, FailuresGiveEmptyResultsAndTheirCodes) {
  ComObject component = Make(kTestComponentProgId);
  EXPECT_EQ(ReadTextProperty(component, "NoSuchMember"), "");
  EXPECT_EQ(LastComError(), kComUnknownName);
  EXPECT_FALSE(WriteProperty(component, "Singleline", true));
  EXPECT_EQ(LastComError(), kComUnknownName);
  // A method cannot be written.
  EXPECT_FALSE(WriteProperty(component, "Self", 1));
  EXPECT_EQ(LastComError(), kComUnknownName);

  EXPECT_EQ(CallNumberMethod(component, "Raise"), 0);
  EXPECT_EQ(LastComError(), kComException);

  EXPECT_EQ(CallTextMethod(component, "MakeArray"), "");
  EXPECT_EQ(LastComError(), kComUnconvertibleResult);
  CallMethod(component, "MakeArray");
  EXPECT_EQ(LastComError(), kComSuccess);
  // A Variant result is delivered unchanged.
  Variant array = ReadProperty(component, "MakeArray");
  EXPECT_EQ(LastComError(), kComSuccess);
  EXPECT_EQ(array.Raw().vt, VT_ARRAY | VT_I4);

  ComObject plain = Make("{6B2C3C1E-3E0A-4C3B-9A57-1D2B7E9F0A14}");  // the IUnknown-only class
  EXPECT_EQ(CallNumberMethod(plain, "Record"), 0);
  EXPECT_EQ(LastComError(), kComNoDispatch);
  ComObject silent = Make("{6B2C3C1E-3E0A-4C3B-9A57-1D2B7E9F0A13}");  // no type information, no names
  EXPECT_EQ(CallNumberMethod(silent, "Record"), 0);
  EXPECT_EQ(LastComError(), kComNoTypeInformation);
}

TEST_F(Bridge, AnObjectWithoutTypeInformationIsReachedByItsNames) {
  ComObject component = Make("{6B2C3C1E-3E0A-4C3B-9A57-1D2B7E9F0A12}");  // names only
  EXPECT_EQ(CallNumberMethod(component, "record", 1, Omitted, "x"), 3);
  EXPECT_EQ(LastComError(), kComSuccess);
  EXPECT_EQ(LastReceivedCall().flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  EXPECT_EQ(LastReceivedCall().types[1], VT_ERROR);

  EXPECT_TRUE(WriteProperty(component, "Name", "名"));  // 名: name
  EXPECT_EQ(LastReceivedCall().named.size(), 1u);
  EXPECT_EQ(ReadTextProperty(component, "Name"), "名");
  EXPECT_EQ(LastReceivedCall().flags, DISPATCH_PROPERTYGET | DISPATCH_METHOD);

  // Nothing is declared, so nothing goes by reference and nothing is counted.
  Text text = "abc";
  int number = 1;
  Variant any;
  CallMethod(component, "Update", ByReference(text), ByReference(number), ByReference(any));
  EXPECT_EQ(LastComError(), kComTypeMismatch);
  EXPECT_EQ(text, "abc");
  CallMethod(component, "Record", 1, 2, 3, 4);
  EXPECT_EQ(LastReceivedCall().types.size(), 4u);

  EXPECT_EQ(CallNumberMethod(component, "NoSuchMember"), 0);
  EXPECT_EQ(LastComError(), kComUnknownName);
}

TEST_F(Bridge, ObjectResultsAreNewHoldersOfTheirOwnReference) {
  ComObject component = Make(kTestComponentProgId);
  ComObject self = ReadObjectProperty(component, "Self");
  ASSERT_FALSE(self.IsEmpty());
  EXPECT_EQ(LastComError(), kComSuccess);
  int destroyedBefore = DestroyedComponents();
  component.Clear();
  EXPECT_EQ(DestroyedComponents(), destroyedBefore);
  EXPECT_EQ(ReadTextProperty(self, "Name"), "initial");
  self.Clear();
  EXPECT_EQ(DestroyedComponents(), destroyedBefore + 1);
}

TEST_F(Bridge, LastComErrorBelongsToTheCallingThread) {
  ComObject empty;
  CallMethod(empty, "Record");
  ASSERT_EQ(LastComError(), kComEmptyHolder);
  int otherThreadBefore = 1;
  int otherThreadAfter = 1;
  std::thread other([&] {
    otherThreadBefore = LastComError();
    ComObject alsoEmpty;
    EXPECT_EQ(ReadTextProperty(alsoEmpty, "Name"), "");
    otherThreadAfter = LastComError();
  });
  other.join();
  EXPECT_EQ(otherThreadBefore, kComSuccess);
  EXPECT_EQ(otherThreadAfter, kComEmptyHolder);
  ComObject component = Make(kTestComponentProgId);
  CallMethod(component, "Record");
  EXPECT_EQ(LastComError(), kComSuccess);
}

TEST(VariantHolder, StartsAsIntegerZeroAndClearsToAllZero) {
  Variant value;
  EXPECT_EQ(value.Raw().vt, VT_I4);
  EXPECT_EQ(value.Raw().lVal, 0);
  value.SetText("中");  // 中: middle
  EXPECT_EQ(value.Raw().vt, VT_BSTR);
  value.Clear();
  VARIANT zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&value.Raw(), &zero, sizeof zero), 0);
}

TEST(VariantHolder, ConvertsToTextTheWayAutomationDoes) {
  Variant value;
  value.SetText("中文");  // 中文: Chinese
  EXPECT_EQ(std::wstring(value.Raw().bstrVal), L"\u4E2D\u6587");
  EXPECT_EQ(value.ToText(), "中文");
  value.Clear();
  EXPECT_EQ(value.ToText(), "");
  value.Raw().vt = VT_BOOL;
  value.Raw().boolVal = VARIANT_TRUE;
  EXPECT_EQ(value.ToText(), "-1");
  value.Raw().boolVal = VARIANT_FALSE;
  EXPECT_EQ(value.ToText(), "0");
  value.Raw().vt = VT_I4;
  value.Raw().lVal = -42;
  EXPECT_EQ(value.ToText(), "-42");
}

TEST(VariantHolder, HoldsBytesAsAnArrayFromOne) {
  Variant value;
  ASSERT_TRUE(value.SetBytes(ByteSet{0xD6, 0xD0, 0x00, 0x41}));  // 中, a zero byte, A
  ASSERT_EQ(value.Raw().vt, VT_ARRAY | VT_UI1);
  SAFEARRAY* array = value.Raw().parray;
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  LONG lower = 0, upper = 0;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 4);
  const unsigned char* bytes = static_cast<const unsigned char*>(array->pvData);
  EXPECT_EQ(bytes[0], 0xD6);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0x41);
  EXPECT_TRUE(value.SetBytes(ByteSet{}));
  EXPECT_EQ(value.Raw().vt, VT_ARRAY | VT_UI1);
}

}  // namespace
