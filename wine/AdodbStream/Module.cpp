// The DLL's entry points: one class factory for the one class.
#include <windows.h>
#include <objbase.h>

#include "wine/AdodbStream/Stream.h"
#include "wine/AdodbStream/StreamClass.h"

namespace {

class StreamFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (interfaceId != IID_IUnknown && interfaceId != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // The factory is a static object: its count is the module's lock count.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override {
    if (object) *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateStream(interfaceId, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    LockStreamModule(lock != FALSE);
    return S_OK;
  }
};

StreamFactory streamFactory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (classId != kStreamClassId) return CLASS_E_CLASSNOTAVAILABLE;
  return streamFactory.QueryInterface(interfaceId, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return LiveStreamReferences() == 0 ? S_OK : S_FALSE;
}
