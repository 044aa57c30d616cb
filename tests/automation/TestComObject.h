#pragma once
// COM objects the tests serve from their own process, and the registration
// of their class objects with COM for the calling apartment while a holder
// lives: COM asks the apartment's registered classes before the registry, so
// CoCreateInstance of the class (or of a ProgID naming it) reaches them.
#include <windows.h>
#include <oaidl.h>
#include <unknwn.h>

#include <functional>

// An object of one interface, freed at its last reference.
template <typename Interface>
class CountedObject : public Interface {
 public:
  virtual ~CountedObject() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = nullptr;
    if (id != IID_IUnknown && id != __uuidof(Interface)) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&references);
    if (left == 0) delete this;
    return ULONG(left);
  }

 private:
  LONG references = 1;
};

// An Automation object without type information: callers reach its members
// by name only, and pass arguments as they hold them.
class NamesOnlyDispatch : public CountedObject<IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = nullptr;
    return E_NOTIMPL;
  }
};

// Makes a new instance holding one reference, which CreateInstance hands on
// (or gives back when the instance lacks the interface asked for).
using MakeInstance = std::function<IUnknown*()>;

class ClassObjectRegistration {
 public:
  // COM must be initialised on the calling thread.
  ClassObjectRegistration(REFCLSID classId, MakeInstance makeInstance);
  ~ClassObjectRegistration();
  ClassObjectRegistration(ClassObjectRegistration&& other) noexcept;
  ClassObjectRegistration(const ClassObjectRegistration&) = delete;
  ClassObjectRegistration& operator=(const ClassObjectRegistration&) = delete;
  [[nodiscard]] bool Registered() const { return cookie != 0; }

 private:
  DWORD cookie = 0;
};
