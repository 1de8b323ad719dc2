#include "com/class_factory.hpp"

#include <new>

#include "com/server_module.hpp"
#include "com/server_object.hpp"
#include "oleaut/com_object.hpp"

namespace kestrune {
namespace {

// A factory lives as long as its callers hold it; while they do, its references do not keep
// the module loaded (LockServer does).
class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  void* interface_for(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) return static_cast<IClassFactory*>(this);
    return nullptr;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_server_object(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    server_module::count_lock(lock ? +1 : -1);
    return S_OK;
  }
};

}  // namespace

HRESULT get_class_factory(REFIID iid, void** factory) {
  if (factory == nullptr) return E_POINTER;
  *factory = nullptr;
  auto* made = new (std::nothrow) ClassFactory;
  if (made == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = made->QueryInterface(iid, factory);
  made->Release();
  return result;
}

}  // namespace kestrune
