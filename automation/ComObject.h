#pragma once
// The holder of one Automation object, created by ProgID or CLSID. Its
// properties and methods are reached by name through automation/MemberCall.h.
#include "system/Holders.h"
#include "text/Text.h"

// The holder of one Automation object reference; empty when new.
class ComObject {
 public:
  ComObject() = default;
  explicit ComObject(IUnknown* adopted) : reference(adopted) {}

  // `name` is a ProgID ("VBScript.RegExp") or a CLSID in braces. On failure
  // the holder keeps what it held; on success the old reference is released.
  [[nodiscard]] bool Create(TextView name);
  [[nodiscard]] bool IsEmpty() const { return !reference; }
  void Clear() { reference.Reset(); }
  IUnknown* Get() const { return reference.Get(); }

 private:
  ComReference<IUnknown> reference;
};
