#include "oleaut/value_dispatch.hpp"

#include <new>
#include <string_view>

#include "oleaut/automation_error.hpp"
#include "oleaut/com_object.hpp"
#include "oleaut/variant_bridge.hpp"

namespace kestrune {
namespace {

constexpr std::u16string_view kValueMember = u"Value";

class ValueDispatch final : public ComObject<ValueDispatch, IDispatch> {
 public:
  explicit ValueDispatch(std::shared_ptr<const Object> object) : object_(std::move(object)) {}

  void* interface_for(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IDispatch) return static_cast<IDispatch*>(this);
    return nullptr;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
      const bool is_value =
          i == 0 &&
          CompareStringOrdinal(names[i], -1, reinterpret_cast<const wchar_t*>(kValueMember.data()),
                               int(kValueMember.size()), TRUE) == CSTR_EQUAL;
      ids[i] = is_value ? DISPID_VALUE : DISPID_UNKNOWN;
      if (!is_value) result = DISP_E_UNKNOWNNAME;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) == 0) return DISP_E_MEMBERNOTFOUND;
    if (parameters != nullptr && parameters->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    try {
      const Variant value = object_->Value();
      if (result != nullptr) to_VARIANT(value, *result);
      return S_OK;
    } catch (...) {
      return report_current_exception(exception);
    }
  }

 private:
  std::shared_ptr<const Object> object_;
};

}  // namespace

IDispatch* make_value_dispatch(std::shared_ptr<const Object> object) {
  return new ValueDispatch(std::move(object));
}

}  // namespace kestrune
