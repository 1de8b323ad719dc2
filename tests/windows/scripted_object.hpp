// The pieces of the stand-ins for the spreadsheet host: an automation object whose members are
// a list of names, all answered by one handler, and an enumerator over objects.
//
//   IDispatch* quit_only = new ScriptedObject({u"Quit"}, [](std::u16string_view member, WORD,
//                                                          DISPPARAMS&, VARIANT*) { return S_OK;
//                                                          });
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "oleaut/com_object.hpp"
#include "oleaut/variant_bridge.hpp"
#include "variant/conversions.hpp"
#include "variant/variant.hpp"

namespace kestrune::client {

using Microsoft::WRL::ComPtr;

// The host's own error for a refused call.
inline constexpr SCODE kRefused = static_cast<SCODE>(0x800A03ECu);

using Handler = std::function<HRESULT(std::u16string_view member, WORD flags,
                                      DISPPARAMS& parameters, VARIANT* result)>;

inline bool same_name(const wchar_t* a, std::u16string_view b) {
  return CompareStringOrdinal(a, -1, reinterpret_cast<const wchar_t*>(b.data()), int(b.size()),
                              TRUE) == CSTR_EQUAL;
}

// An object whose members are a list of names, matched without regard to case as the host
// matches them; every call goes to one handler.
class ScriptedObject final : public ComObject<ScriptedObject, IDispatch> {
 public:
  ScriptedObject(std::vector<std::u16string> members, Handler handler)
      : members_(std::move(members)), handler_(std::move(handler)) {}

  void* interface_for(REFIID iid) {
    return iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (std::size_t m = 0; m < members_.size(); ++m) {
      if (same_name(names[0], members_[m])) ids[0] = DISPID(m + 1);
    }
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    std::u16string_view member;
    if (id == DISPID_NEWENUM) {
      member = u"_NewEnum";
    } else if (id >= 1 && std::size_t(id) <= members_.size()) {
      member = members_[std::size_t(id - 1)];
    } else {
      return DISP_E_MEMBERNOTFOUND;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (result != nullptr) VariantInit(result);
    const HRESULT outcome = handler_(member, flags, parameters ? *parameters : none, result);
    if (outcome == DISP_E_EXCEPTION && exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = kRefused;
      exception->bstrDescription = SysAllocString(L"The stand-in refuses the call.");
    }
    return outcome;
  }

 private:
  std::vector<std::u16string> members_;
  Handler handler_;
};

class Enumerator final : public ComObject<Enumerator, IEnumVARIANT> {
 public:
  explicit Enumerator(std::vector<ComPtr<IDispatch>> items) : items_(std::move(items)) {}

  void* interface_for(REFIID iid) {
    return iid == IID_IUnknown || iid == IID_IEnumVARIANT ? static_cast<IEnumVARIANT*>(this)
                                                          : nullptr;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
    ULONG given = 0;
    for (; given < wanted && next_ < items_.size(); ++given, ++next_) {
      VariantInit(&out[given]);
      V_VT(&out[given]) = VT_DISPATCH;
      items_[next_].CopyTo(&V_DISPATCH(&out[given]));
    }
    if (fetched != nullptr) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }
  // Callers of the host's lists only ever walk them once, with Next.
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

 private:
  std::vector<ComPtr<IDispatch>> items_;
  std::size_t next_ = 0;
};

// The positional arguments in call order, or a put's new value.
inline std::vector<Variant> arguments_of(const DISPPARAMS& parameters) {
  std::vector<Variant> arguments;
  for (UINT i = parameters.cArgs; i-- > 0;) {
    arguments.push_back(from_VARIANT(parameters.rgvarg[i]));
  }
  return arguments;
}

// One call as the stand-ins log it: the object and member, " =" for a put, then the arguments,
// texts as they are and truths as True or False:
//   Workbook.SaveAs C:\users\root\AppData\Roaming\Microsoft\AddIns\kestrune.xla, 18
inline std::u16string call_line(std::u16string_view object, std::u16string_view member, bool put,
                                const std::vector<Variant>& arguments) {
  std::u16string line =
      std::u16string(object) + u"." + std::u16string(member) + (put ? u" =" : u"");
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const Variant& value = arguments[i];
    line += (i == 0 ? u" " : u", ") +
            (value.is_boolean()   ? std::u16string(value.boolean_value() ? u"True" : u"False")
             : value.is_missing() ? std::u16string(u"(missing)")
                                  : to_text(value));
  }
  return line;
}

inline void give(VARIANT* result, const Variant& value) {
  if (result != nullptr) to_VARIANT(value, *result);
}

inline void give_object(VARIANT* result, IUnknown* object, VARTYPE type) {
  if (result == nullptr) {
    object->Release();
    return;
  }
  V_VT(result) = type;
  V_UNKNOWN(result) = object;
}

}  // namespace kestrune::client
