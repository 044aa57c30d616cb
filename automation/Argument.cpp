#include "automation/Argument.h"

#include <cstdint>

#include "text/CodePage936.h"

Argument::Argument(Kind kind, void* target) : kind(kind), target(target) {}

bool Argument::ToVariant(VARIANT& sent) const {
  VariantInit(&sent);
  switch (kind) {
    case Kind::Omitted:
      return true;
    case Kind::Logical:
      sent.vt = VT_BOOL;
      sent.boolVal = (target ? *static_cast<bool*>(target) : number.logical) ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case Kind::DateTime:
      sent.vt = VT_DATE;
      sent.date = target ? static_cast<DateTime*>(target)->oleDate : number.real;
      return true;
    case Kind::Text: {
      std::wstring wide = TextToUtf16(target ? TextView(*static_cast<Text*>(target)) : text);
      sent.vt = VT_BSTR;
      sent.bstrVal = SysAllocStringLen(wide.data(), UINT(wide.size()));
      return true;
    }
    case Kind::Byte:
      sent.vt = VT_UI1;
      sent.bVal = target ? *static_cast<unsigned char*>(target) : static_cast<unsigned char>(number.integer);
      return true;
    case Kind::Short:
      sent.vt = VT_I2;
      sent.iVal = target ? *static_cast<short*>(target) : static_cast<short>(number.integer);
      return true;
    case Kind::Integer:
      sent.vt = VT_I4;
      sent.lVal = target ? *static_cast<int*>(target) : static_cast<LONG>(number.integer);
      return true;
    case Kind::Integer64: {
      // Automation of this system knows no 64-bit integer: the low 32 bits go.
      long long value = target ? *static_cast<long long*>(target) : number.integer;
      sent.vt = VT_I4;
      sent.lVal = static_cast<LONG>(static_cast<std::uint32_t>(value));
      return true;
    }
    case Kind::Float:
      sent.vt = VT_R4;
      sent.fltVal = target ? *static_cast<float*>(target) : static_cast<float>(number.real);
      return true;
    case Kind::Double:
      sent.vt = VT_R8;
      sent.dblVal = target ? *static_cast<double*>(target) : number.real;
      return true;
    case Kind::Variant: {
      const Variant& source = target ? *static_cast<Variant*>(target) : *variant;
      return SUCCEEDED(VariantCopyInd(&sent, const_cast<VARIANT*>(&source.Raw())));
    }
  }
  return false;
}

namespace {

VARTYPE VariableType(Argument::Kind kind) {
  using Kind = Argument::Kind;
  switch (kind) {
    case Kind::Logical: return VT_BOOL;
    case Kind::DateTime: return VT_DATE;
    case Kind::Text: return VT_BSTR;
    case Kind::Byte: return VT_UI1;
    case Kind::Short: return VT_I2;
    case Kind::Integer: return VT_I4;
    case Kind::Integer64: return VT_I4;
    case Kind::Float: return VT_R4;
    case Kind::Double: return VT_R8;
    case Kind::Omitted:
    case Kind::Variant: break;
  }
  return VT_EMPTY;
}

}  // namespace

void Argument::WriteBack(const VARIANT& returned) const {
  if (!target) return;
  if (kind == Kind::Variant) {
    Variant& variable = *static_cast<Variant*>(target);
    variable.Clear();
    if (FAILED(VariantCopy(&variable.Raw(), const_cast<VARIANT*>(&returned)))) variable.Clear();
    return;
  }
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&returned), 0, VariableType(kind)))) return;
  switch (kind) {
    case Kind::Logical: *static_cast<bool*>(target) = converted.boolVal != VARIANT_FALSE; break;
    case Kind::DateTime: static_cast<DateTime*>(target)->oleDate = converted.date; break;
    case Kind::Text:
      *static_cast<Text*>(target) = Utf16ToText(converted.bstrVal, int(SysStringLen(converted.bstrVal)));
      break;
    case Kind::Byte: *static_cast<unsigned char*>(target) = converted.bVal; break;
    case Kind::Short: *static_cast<short*>(target) = converted.iVal; break;
    case Kind::Integer: *static_cast<int*>(target) = converted.lVal; break;
    case Kind::Integer64: *static_cast<long long*>(target) = converted.lVal; break;
    case Kind::Float: *static_cast<float*>(target) = converted.fltVal; break;
    case Kind::Double: *static_cast<double*>(target) = converted.dblVal; break;
    case Kind::Omitted:
    case Kind::Variant: break;
  }
  VariantClear(&converted);
}
