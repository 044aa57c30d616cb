// The stand-in stream, reached by ProgID and bound by name through its type
// information, the way the automation bridge reaches every component.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "system/Holders.h"

namespace {

const CLSID kStandInClassId = {0xc0006824, 0xf5bf, 0x4037, {0xa1, 0x4a, 0x24, 0x34, 0xe6, 0xda, 0x48, 0xf0}};

class ComApartment {
 public:
  ComApartment() { status = CoInitialize(nullptr); }
  ~ComApartment() {
    if (SUCCEEDED(status)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT status;
};

class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value); }
  ~OwnedVariant() { VariantClear(&value); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
  VARIANT value;
};

struct Binding {
  HRESULT status = E_FAIL;
  DESCKIND kind = DESCKIND_NONE;
  MEMBERID member = DISPID_UNKNOWN;
  INVOKEKIND invokeKind = INVOKE_FUNC;
  short parameterCount = 0;
};

// Binds `name` for `invokeKind` through GetTypeInfo, GetTypeComp and Bind.
Binding Bind(IDispatch* object, const wchar_t* name, WORD invokeKind) {
  Binding binding;
  ComReference<ITypeInfo> typeInfo;
  binding.status = object->GetTypeInfo(0, GetUserDefaultLCID(), typeInfo.Receive());
  if (FAILED(binding.status)) return binding;
  ComReference<ITypeComp> typeComp;
  binding.status = typeInfo->GetTypeComp(typeComp.Receive());
  if (FAILED(binding.status)) return binding;
  ULONG hash = LHashValOfNameSys(SYS_WIN32, GetUserDefaultLCID(), name);
  ComReference<ITypeInfo> boundInfo;
  BINDPTR bound{};
  binding.status = typeComp->Bind(const_cast<LPOLESTR>(name), hash, invokeKind, boundInfo.Receive(),
                                  &binding.kind, &bound);
  if (FAILED(binding.status)) return binding;
  if (binding.kind == DESCKIND_FUNCDESC) {
    binding.member = bound.lpfuncdesc->memid;
    binding.invokeKind = bound.lpfuncdesc->invkind;
    binding.parameterCount = bound.lpfuncdesc->cParams;
    boundInfo->ReleaseFuncDesc(bound.lpfuncdesc);
  } else if (binding.kind == DESCKIND_VARDESC) {
    boundInfo->ReleaseVarDesc(bound.lpvardesc);
  } else if (binding.kind == DESCKIND_TYPECOMP) {
    bound.lptcomp->Release();
  }
  return binding;
}

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CLSID classId{};
    ASSERT_EQ(CLSIDFromProgID(L"Adodb.Stream", &classId), S_OK);
    ComReference<IUnknown> unknown;
    ASSERT_EQ(CoCreateInstance(classId, nullptr, 0x17, IID_IUnknown, reinterpret_cast<void**>(unknown.Receive())),
              S_OK);
    ASSERT_EQ(OleRun(unknown.Get()), S_OK);
    ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(stream.Receive())), S_OK);
  }

  // Binds and invokes as a late-bound caller does; the value of a write is
  // passed as the named DISPID_PROPERTYPUT argument.
  HRESULT Invoke(const wchar_t* name, WORD invokeKind, VARIANT* argument, VARIANT* result) {
    Binding binding = Bind(stream.Get(), name, invokeKind);
    if (FAILED(binding.status)) return binding.status;
    if (binding.kind != DESCKIND_FUNCDESC) return DISP_E_MEMBERNOTFOUND;
    DISPID putName = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{argument, nullptr, argument ? 1u : 0u, 0};
    if (invokeKind == INVOKE_PROPERTYPUT) {
      parameters.rgdispidNamedArgs = &putName;
      parameters.cNamedArgs = 1;
    }
    UINT argumentError = 0;
    lastException = EXCEPINFO{};
    HRESULT status = stream->Invoke(binding.member, IID_NULL, GetUserDefaultLCID(), invokeKind, &parameters,
                                    result, &lastException, &argumentError);
    lastDescription = lastException.bstrDescription ? lastException.bstrDescription : L"";
    SysFreeString(lastException.bstrSource);
    SysFreeString(lastException.bstrDescription);
    SysFreeString(lastException.bstrHelpFile);
    return status;
  }

  HRESULT PutNumber(const wchar_t* name, long number) {
    OwnedVariant value;
    V_VT(&value.value) = VT_I4;
    V_I4(&value.value) = number;
    return Invoke(name, INVOKE_PROPERTYPUT, &value.value, nullptr);
  }
  HRESULT PutText(const wchar_t* name, const wchar_t* text) {
    OwnedVariant value;
    V_VT(&value.value) = VT_BSTR;
    V_BSTR(&value.value) = SysAllocString(text);
    return Invoke(name, INVOKE_PROPERTYPUT, &value.value, nullptr);
  }
  long GetNumber(const wchar_t* name) {
    OwnedVariant result;
    if (FAILED(Invoke(name, INVOKE_PROPERTYGET, nullptr, &result.value))) return -1;
    if (FAILED(VariantChangeType(&result.value, &result.value, 0, VT_I4))) return -1;
    return V_I4(&result.value);
  }
  HRESULT Call(const wchar_t* name) { return Invoke(name, INVOKE_FUNC, nullptr, nullptr); }

  // The bytes as the bridge sends them: an array of VT_UI1 with lower bound 1.
  HRESULT WriteBytes(const std::string& bytes) {
    OwnedVariant buffer;
    SAFEARRAYBOUND bound{static_cast<ULONG>(bytes.size()), 1};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (!array) return E_OUTOFMEMORY;
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes.empty()) memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    V_VT(&buffer.value) = VT_ARRAY | VT_UI1;
    V_ARRAY(&buffer.value) = array;
    return Invoke(L"Write", INVOKE_FUNC, &buffer.value, nullptr);
  }

  HRESULT ReadText(std::wstring& text) {
    OwnedVariant result;
    HRESULT status = Invoke(L"ReadText", INVOKE_FUNC, nullptr, &result.value);
    text.clear();
    if (SUCCEEDED(status) && V_VT(&result.value) != VT_BSTR) return E_UNEXPECTED;
    if (SUCCEEDED(status)) text.assign(V_BSTR(&result.value), SysStringLen(V_BSTR(&result.value)));
    return status;
  }

  // The whole sequence of the page decoding: bytes in, text out in `charset`.
  std::wstring Decode(const std::string& bytes, const wchar_t* charset, HRESULT* readStatus = nullptr) {
    std::wstring text;
    EXPECT_EQ(PutNumber(L"Type", 1), S_OK);
    EXPECT_EQ(PutNumber(L"Mode", 3), S_OK);
    EXPECT_EQ(Call(L"Open"), S_OK);
    EXPECT_EQ(WriteBytes(bytes), S_OK);
    EXPECT_EQ(PutNumber(L"Position", 0), S_OK);
    EXPECT_EQ(PutNumber(L"Type", 2), S_OK);
    EXPECT_EQ(PutText(L"Charset", charset), S_OK);
    HRESULT status = ReadText(text);
    if (readStatus) *readStatus = status;
    readScode = lastException.scode;
    readDescription = lastDescription;
    EXPECT_EQ(Call(L"Close"), S_OK);
    return text;
  }

  ComApartment apartment;
  ComReference<IDispatch> stream;
  EXCEPINFO lastException{};
  std::wstring lastDescription;
  SCODE readScode = 0;  // what the exception of Decode's ReadText said
  std::wstring readDescription;
};

TEST(StreamRegistration, TheProgIdNamesTheStandInInThisPrefix) {
  ComApartment apartment;
  CLSID classId{};
  ASSERT_EQ(CLSIDFromProgID(L"Adodb.Stream", &classId), S_OK);
  EXPECT_TRUE(IsEqualCLSID(classId, kStandInClassId));
  ASSERT_EQ(CLSIDFromProgID(L"ADODB.STREAM", &classId), S_OK);  // ProgIDs ignore letter case
  EXPECT_TRUE(IsEqualCLSID(classId, kStandInClassId));
}

TEST_F(StreamTest, EveryMemberBindsByNameInAnyLetterCaseWithItsInvocationKind) {
  struct Expected {
    const wchar_t* name;
    WORD invokeKind;
    short parameterCount;
  };
  const Expected members[] = {
      {L"Type", INVOKE_PROPERTYPUT, 1},     {L"type", INVOKE_PROPERTYGET, 0},   {L"MODE", INVOKE_PROPERTYPUT, 1},
      {L"Position", INVOKE_PROPERTYPUT, 1}, {L"Position", INVOKE_PROPERTYGET, 0}, {L"charset", INVOKE_PROPERTYPUT, 1},
      {L"Open", INVOKE_FUNC, 0},            {L"Write", INVOKE_FUNC, 1},         {L"ReadText", INVOKE_FUNC, 0},
      {L"close", INVOKE_FUNC, 0},
  };
  for (const Expected& expected : members) {
    Binding binding = Bind(stream.Get(), expected.name, expected.invokeKind);
    ASSERT_EQ(binding.status, S_OK) << expected.name;
    EXPECT_EQ(binding.kind, DESCKIND_FUNCDESC) << expected.name;
    EXPECT_EQ(binding.invokeKind, expected.invokeKind) << expected.name;
    EXPECT_EQ(binding.parameterCount, expected.parameterCount) << expected.name;
  }
  // A method is no property, and a member the stand-in lacks binds to nothing.
  EXPECT_NE(Bind(stream.Get(), L"Open", INVOKE_PROPERTYPUT).kind, DESCKIND_FUNCDESC);
  EXPECT_EQ(Bind(stream.Get(), L"SaveToFile", INVOKE_FUNC).kind, DESCKIND_NONE);
}

TEST_F(StreamTest, DecodesEachNamedCharsetWhateverItsLetterCase) {
  struct Sample {
    const char* bytes;
    const wchar_t* charset;
    const wchar_t* text;
  };
  const Sample samples[] = {
      {"\xD6\xD0\xCE\xC4", L"gbk", L"\u4E2D\u6587"},                 // 中文
      {"\xD6\xD0\xCE\xC4", L"GB2312", L"\u4E2D\u6587"},              // 中文
      {"\xD6\xD0\xCE\xC4", L"gb18030", L"\u4E2D\u6587"},             // 中文
      {"\xE4\xB8\xAD\xE6\x96\x87", L"utf-8", L"\u4E2D\u6587"},       // 中文
      {"\xEF\xBB\xBF\x61", L"UTF-8", L"a"},                          // byte order mark, a
      {"\x93\xFA\x96\x7B", L"Shift_JIS", L"\u65E5\u672C"},           // 日本
      {"\xC6\xFC\xCB\xDC", L"euc-jp", L"\u65E5\u672C"},              // 日本
      {"\xA4\xA4\xA4\xE5", L"Big5", L"\u4E2D\u6587"},                // 中文
      {"\xC7\xD1\xB1\xDB", L"EUC-KR", L"\uD55C\uAE00"},              // 한글
      {"caf\xE9", L"ISO-8859-1", L"caf\u00E9"},                      // café
      {"\xCF\xF0\xE8", L"windows-1251", L"\u041F\u0440\u0438"},      // При
      {"\x8A\xE8", L"Windows-1250", L"\u0160\u010D"},                // Šč
      {"\xE0\xF9", L"windows-1255", L"\u05D0\u05E9"},                // אש
  };
  for (const Sample& sample : samples) {
    EXPECT_EQ(Decode(sample.bytes, sample.charset), sample.text) << static_cast<const void*>(sample.bytes);
  }
  EXPECT_EQ(Decode("", L"utf-8"), L"");
}

TEST_F(StreamTest, AnUnknownCharsetIsAcceptedButReadingTextRaisesAnError) {
  HRESULT readStatus = S_OK;
  EXPECT_EQ(Decode("\xD6\xD0", L"x-unknown-charset", &readStatus), L"");  // 中
  EXPECT_EQ(readStatus, DISP_E_EXCEPTION);
  EXPECT_TRUE(FAILED(readScode));
  EXPECT_FALSE(readDescription.empty());
  // A name that only starts like a known one is no known one either.
  Decode("a", L"utf-8x", &readStatus);
  EXPECT_EQ(readStatus, DISP_E_EXCEPTION);
}

TEST_F(StreamTest, TypeChangesOnlyAtTheStartAndEachTypeAllowsItsOwnAccess) {
  EXPECT_EQ(GetNumber(L"Type"), 2);  // a new stream is a text stream
  ASSERT_EQ(PutNumber(L"Type", 1), S_OK);
  ASSERT_EQ(Call(L"Open"), S_OK);
  EXPECT_EQ(Call(L"Open"), DISP_E_EXCEPTION);  // already open
  EXPECT_EQ(PutNumber(L"Mode", 1), DISP_E_EXCEPTION);  // the mode is set before opening
  ASSERT_EQ(WriteBytes("\xD6\xD0\xCE\xC4"), S_OK);  // 中文
  EXPECT_EQ(GetNumber(L"Position"), 4);
  EXPECT_EQ(PutNumber(L"Type", 2), DISP_E_EXCEPTION);
  std::wstring text;
  EXPECT_EQ(ReadText(text), DISP_E_EXCEPTION);  // no text out of a byte stream
  EXPECT_EQ(PutNumber(L"Position", 5), DISP_E_EXCEPTION);  // past the end
  EXPECT_EQ(PutNumber(L"Position", -1), DISP_E_EXCEPTION);

  ASSERT_EQ(PutNumber(L"Position", 0), S_OK);
  ASSERT_EQ(PutNumber(L"Type", 2), S_OK);
  EXPECT_EQ(WriteBytes("x"), DISP_E_EXCEPTION);  // no bytes into a text stream
  ASSERT_EQ(PutText(L"Charset", L"gbk"), S_OK);
  ASSERT_EQ(PutNumber(L"Position", 2), S_OK);
  ASSERT_EQ(ReadText(text), S_OK);
  EXPECT_EQ(text, L"\u6587");  // 文: reading starts at the position
  EXPECT_EQ(GetNumber(L"Position"), 4);
  ASSERT_EQ(ReadText(text), S_OK);
  EXPECT_EQ(text, L"");  // nothing left

  ASSERT_EQ(Call(L"Close"), S_OK);
  EXPECT_EQ(GetNumber(L"Position"), -1);  // a closed stream has no position
  EXPECT_EQ(Call(L"Close"), DISP_E_EXCEPTION);
}

TEST_F(StreamTest, WritingOverwritesFromThePositionAndGrowsTheStream) {
  ASSERT_EQ(PutNumber(L"Type", 1), S_OK);
  ASSERT_EQ(Call(L"Open"), S_OK);
  ASSERT_EQ(WriteBytes("abcdef"), S_OK);
  ASSERT_EQ(PutNumber(L"Position", 4), S_OK);
  ASSERT_EQ(WriteBytes("XYZ"), S_OK);
  ASSERT_EQ(PutNumber(L"Position", 0), S_OK);
  ASSERT_EQ(PutNumber(L"Type", 2), S_OK);
  ASSERT_EQ(PutText(L"Charset", L"us-ascii"), S_OK);
  std::wstring text;
  ASSERT_EQ(ReadText(text), S_OK);
  EXPECT_EQ(text, L"abcdXYZ");
}

TEST_F(StreamTest, WrongArgumentsAreRefusedBeforeTheStreamChanges) {
  ASSERT_EQ(PutNumber(L"Type", 1), S_OK);
  ASSERT_EQ(Call(L"Open"), S_OK);
  OwnedVariant notBytes;
  V_VT(&notBytes.value) = VT_BSTR;
  V_BSTR(&notBytes.value) = SysAllocString(L"text");
  EXPECT_EQ(Invoke(L"Write", INVOKE_FUNC, &notBytes.value, nullptr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Invoke(L"Write", INVOKE_FUNC, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(PutText(L"Type", L"not a number"), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(PutNumber(L"Type", 3), DISP_E_EXCEPTION);
  EXPECT_EQ(GetNumber(L"Type"), 1);
  EXPECT_EQ(GetNumber(L"Position"), 0);
  // A number given as text is converted, as Automation does for properties.
  EXPECT_EQ(PutText(L"Position", L"0"), S_OK);
}

}  // namespace
