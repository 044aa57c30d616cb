#include "tests/automation/TestComObject.h"

#include <utility>

namespace {

// Lives while COM or a caller of CoGetClassObject holds it, and with it what
// `makeInstance` owns.
class ClassFactory final : public CountedObject<IClassFactory> {
 public:
  explicit ClassFactory(MakeInstance makeInstance) : makeInstance(std::move(makeInstance)) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* instance = makeInstance();
    HRESULT result = instance->QueryInterface(id, object);
    instance->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  MakeInstance makeInstance;
};

}  // namespace

ClassObjectRegistration::ClassObjectRegistration(REFCLSID classId, MakeInstance makeInstance) {
  ClassFactory* factory = new ClassFactory(std::move(makeInstance));
  if (FAILED(CoRegisterClassObject(classId, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie))) cookie = 0;
  factory->Release();  // COM holds its own reference while the class is registered
}

ClassObjectRegistration::ClassObjectRegistration(ClassObjectRegistration&& other) noexcept
    : cookie(std::exchange(other.cookie, 0)) {}

ClassObjectRegistration::~ClassObjectRegistration() {
  if (cookie) CoRevokeClassObject(cookie);
}
