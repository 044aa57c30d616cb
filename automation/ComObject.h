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

  // Where the object's server may run. InProcess for a component that ships
  // as a DLL: where that DLL is gone, asking for any server has COM look for
  // a local one too, which under Wine fails only after 3 to 10 seconds.
  // InProcessFirst for one that may ship either way: its DLL, else a local
  // server only where the class registers one (LocalServer32).
  enum class Servers { Any, InProcess, InProcessFirst };

  // `name` is a ProgID ("VBScript.RegExp") or a CLSID in braces. On failure
  // the holder keeps what it held; on success the old reference is released.
  [[nodiscard]] bool Create(TextView name, Servers servers = Servers::Any);
  [[nodiscard]] bool IsEmpty() const { return !reference; }
  void Clear() { reference.Reset(); }
  IUnknown* Get() const { return reference.Get(); }

 private:
  ComReference<IUnknown> reference;
};
