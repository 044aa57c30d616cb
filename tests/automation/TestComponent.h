#pragma once
// A small Automation component of the test suite, served from the test
// process itself: its class objects are registered with COM for the calling
// apartment, and its ProgID is written under HKCU\Software\Classes (and,
// where COM does not read those as in Wine, the prefix's machine classes) for
// as long as a TestComponentRegistration lives.
//
// Members (dispatch ids in brackets), described by type information built at
// run time with ICreateTypeLib2:
//   [1] Record(VARIANT a, VARIANT b, VARIANT c), all optional: returns the
//       number of arguments received
//   [2] Update([in, out] BSTR* text, [in, out] long* number, [in, out] VARIANT* any):
//       appends 变 to text, adds 1 to number, sets any to the text "changed"
//   [3] Raise(): fails with DISP_E_EXCEPTION
//   [4] MakeArray(): returns an array of four integers
//   [5] Name: a text property, read and written
//   [6] Peek([in] long* number): sets number to 99, which is no output
//   [7] Sum(long first, ...): the sum of every argument received
//   [8] Self: the object itself (IDispatch)
#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <vector>

#include "automation/Variant.h"
#include "tests/automation/TestComObject.h"
#include "tests/automation/ProgIdRegistration.h"

// How much of IDispatch an instance gives.
enum class ComponentMode {
  Described,  // type information and names
  NamesOnly,  // no type information, GetIDsOfNames works
  Silent,     // neither type information nor names
  NoDispatch, // only IUnknown
};

extern const CLSID kDescribedComponent;
extern const CLSID kNamesOnlyComponent;
extern const CLSID kSilentComponent;
extern const CLSID kNoDispatchComponent;
// The ProgID registered for the described component.
inline constexpr const char* kTestComponentProgId = "SeedSearch.TestComponent";
// kDescribedComponent in braces.
inline constexpr const char* kTestComponentClassId = "{6B2C3C1E-3E0A-4C3B-9A57-1D2B7E9F0A11}";

// The last Invoke the component received on this thread.
struct ReceivedCall {
  int invokeCount = 0;
  DISPID member = 0;
  WORD flags = 0;
  std::vector<VARTYPE> types;   // as sent, in Automation order (last argument first)
  std::vector<Variant> values;  // copies with references followed
  std::vector<DISPID> named;
};
ReceivedCall& LastReceivedCall();
// Instances destroyed so far on any thread.
int DestroyedComponents();

class TestComponentRegistration {
 public:
  TestComponentRegistration();
  TestComponentRegistration(const TestComponentRegistration&) = delete;
  TestComponentRegistration& operator=(const TestComponentRegistration&) = delete;

 private:
  std::vector<ClassObjectRegistration> classObjects;
  std::optional<ProgIdRegistration> progId;  // removed before the class objects are revoked
};
