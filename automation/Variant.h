#pragma once
// An Automation VARIANT owned by its holder. A new one holds the integer 0;
// Clear frees what it owns and leaves it all-zero (VT_EMPTY).
#include <windows.h>
#include <oleauto.h>

#include <string_view>

#include "text/Text.h"

class Variant {
 public:
  Variant();
  ~Variant();
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  // The text as a UTF-16 BSTR (code page 936).
  void SetText(TextView text);
  // False (the variant empty) when the system refuses room for the string or
  // the array: a page's size is the site's to choose.
  [[nodiscard]] bool SetUtf16(std::wstring_view characters);
  // A one-dimensional VT_ARRAY of VT_UI1 with lower bound 1, the bytes copied.
  [[nodiscard]] bool SetBytes(const ByteSet& bytes);
  // A BSTR directly, anything else through VariantChangeType without flags;
  // empty when that conversion fails.
  [[nodiscard]] Text ToText() const;
  void Clear();

  VARIANT& Raw() { return value; }
  const VARIANT& Raw() const { return value; }

 private:
  VARIANT value;
};
