// ComObject: the IUnknown half every object of the server shares.
//
// Derived implements its interfaces and says which interface pointer answers an interface id;
// ComObject counts references (starting at one, for the creator) and implements QueryInterface
// and Release from that.
//
//   class Factory final : public ComObject<Factory, IClassFactory> {
//    public:
//     void* interface_for(REFIID iid) {
//       return iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this)
//                                                              : nullptr;
//     }
//     ...
//   };
#pragma once

#include <windows.h>

#include <atomic>

namespace kestrune {

template <class Derived, class... Interfaces>
class ComObject : public Interfaces... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = static_cast<Derived*>(this)->interface_for(iid);
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace kestrune
