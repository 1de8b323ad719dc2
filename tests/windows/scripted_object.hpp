// The pieces of the stand-ins for the spreadsheet host: an automation object whose members are
// a list of names, all answered by one handler, an enumerator over objects, and the line a
// stand-in logs for each call.
//
//   constexpr std::u16string_view kNames[] = {u"Quit"};
//   IDispatch* quit_only = new ScriptedObject(kNames, [](const ScriptedCall&, VARIANT*) {
//     return S_OK;
//   });
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "oleaut/com_object.hpp"
#include "oleaut/variant_bridge.hpp"
#include "variant/conversions.hpp"
#include "variant/variant.hpp"

namespace kestrune::client {

using Microsoft::WRL::ComPtr;

// The program's options, where it keeps (as OPEN) which add-in is installed.
inline constexpr const wchar_t* kOptionsKey = L"Software\\Microsoft\\Office\\16.0\\Excel\\Options";

inline std::wstring environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  return GetEnvironmentVariableW(name, value, MAX_PATH) > 0 ? value : L"";
}

// The add-ins folder of the user, with the closing backslash the program gives it.
inline std::wstring library_folder() { return environment(L"APPDATA") + L"\\Microsoft\\AddIns\\"; }

// A text value of the registry; `none` when there is none.
inline std::wstring registry_text(HKEY root, const std::wstring& key, const wchar_t* name,
                                  const wchar_t* none = L"") {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  return RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) ==
                 ERROR_SUCCESS
             ? value
             : none;
}

inline LSTATUS set_registry_text(HKEY root, const std::wstring& key, const wchar_t* name,
                                 const std::wstring& value) {
  return RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                         DWORD((value.size() + 1) * sizeof(wchar_t)));
}

// The host's own error for a refused call.
inline constexpr SCODE kRefused = static_cast<SCODE>(0x800A03ECu);

// One call as a handler sees it: the member as the object names it, whether it is a put, and
// the positional arguments in call order (a put's new value).
struct ScriptedCall {
  std::u16string_view member;
  bool put = false;
  std::vector<Variant> arguments;
};

// A handler answers DISP_E_EXCEPTION to refuse the call as the host does.
using Handler = std::function<HRESULT(const ScriptedCall& call, VARIANT* result)>;

// An object whose members are a list of names, matched without regard to case as the host
// matches them; every call goes to one handler. The names outlive the object.
class ScriptedObject final : public ComObject<ScriptedObject, IDispatch> {
 public:
  ScriptedObject(std::span<const std::u16string_view> members, Handler handler)
      : members_(members), handler_(std::move(handler)) {}

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
      if (CompareStringOrdinal(names[0], -1, reinterpret_cast<const wchar_t*>(members_[m].data()),
                               int(members_[m].size()), TRUE) == CSTR_EQUAL) {
        ids[0] = DISPID(m + 1);
      }
    }
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    ScriptedCall call{u"_NewEnum", (flags & DISPATCH_PROPERTYPUT) != 0, {}};
    if (id >= 1 && std::size_t(id) <= members_.size()) {
      call.member = members_[std::size_t(id - 1)];
    } else if (id != DISPID_NEWENUM) {
      return DISP_E_MEMBERNOTFOUND;
    }
    for (UINT i = parameters ? parameters->cArgs : 0; i-- > 0;)
      call.arguments.push_back(from_VARIANT(parameters->rgvarg[i]));
    if (result != nullptr) VariantInit(result);
    const HRESULT outcome = handler_(call, result);
    if (outcome == DISP_E_EXCEPTION && exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = kRefused;
      exception->bstrDescription = SysAllocString(L"The stand-in refuses the call.");
    }
    return outcome;
  }

 private:
  std::span<const std::u16string_view> members_;
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

// One call as the stand-ins log it: the object and member, " =" for a put, then the arguments,
// texts as they are and truths as True or False:
//   Workbook.SaveAs C:\users\root\AppData\Roaming\Microsoft\AddIns\kestrune.xla, 18
inline std::u16string call_line(std::u16string_view object, const ScriptedCall& call) {
  std::u16string line =
      std::u16string(object) + u"." + std::u16string(call.member) + (call.put ? u" =" : u"");
  for (std::size_t i = 0; i < call.arguments.size(); ++i) {
    const Variant& value = call.arguments[i];
    line += (i == 0 ? u" " : u", ") +
            (value.is_boolean()   ? std::u16string(value.boolean_value() ? u"True" : u"False")
             : value.is_missing() ? std::u16string(u"(missing)")
                                  : to_text(value));
  }
  return line;
}

}  // namespace kestrune::client
