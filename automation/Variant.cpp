#include "automation/Variant.h"

#include <cstring>

#include "system/Room.h"
#include "text/CodePage936.h"

Variant::Variant() {
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = 0;
}

Variant::~Variant() { Clear(); }

Variant::Variant(Variant&& other) noexcept : value(other.value) {
  std::memset(&other.value, 0, sizeof other.value);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    Clear();
    value = other.value;
    std::memset(&other.value, 0, sizeof other.value);
  }
  return *this;
}

void Variant::SetText(TextView text) { (void)SetUtf16(TextToUtf16(text)); }

bool Variant::SetUtf16(std::wstring_view characters) {
  Clear();
  if (!RoomAllowed((characters.size() + 1) * sizeof(wchar_t))) return false;
  BSTR text = SysAllocStringLen(characters.data(), UINT(characters.size()));
  if (!text) return false;
  value.vt = VT_BSTR;
  value.bstrVal = text;
  return true;
}

bool Variant::SetBytes(const ByteSet& bytes) {
  Clear();
  if (!RoomAllowed(bytes.size())) return false;
  SAFEARRAYBOUND bound{ULONG(bytes.size()), 1};
  SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
  if (!array) return false;
  void* data = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  value.vt = VT_ARRAY | VT_UI1;
  value.parray = array;
  return true;
}

Text Variant::ToText() const {
  if (value.vt == VT_BSTR) return Utf16ToText(value.bstrVal, int(SysStringLen(value.bstrVal)));
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_BSTR))) return {};
  Text text = Utf16ToText(converted.bstrVal, int(SysStringLen(converted.bstrVal)));
  VariantClear(&converted);
  return text;
}

void Variant::Clear() {
  VariantClear(&value);
  std::memset(&value, 0, sizeof value);
}
