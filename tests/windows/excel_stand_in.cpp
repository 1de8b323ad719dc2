#include "excel_stand_in.hpp"

#include <wrl/client.h>

#include <functional>
#include <string_view>

#include "oleaut/variant_bridge.hpp"
#include "scripted_object.hpp"

namespace kestrune::client {
namespace {

using Microsoft::WRL::ComPtr;

// The stand-in's own class; only the registry entry of this test ties it to the ProgID.
constexpr CLSID kStandInClass = {
    0x8e5b2e2a, 0x3c1f, 0x4d6b, {0x9a, 0x57, 0x2f, 0x1c, 0x0e, 0x4b, 0x7d, 0x11}};
constexpr const wchar_t* kHostProgId = L"Excel.Application";

}  // namespace

struct ExcelStandIn::State {
  std::vector<AddInEntry> add_ins;
  std::vector<HostCall> calls;
  bool display_alerts = true;
  bool screen_updating = true;
  int refuse_countdown = 0;
  ComPtr<IDispatch> application;

  void record(std::u16string_view member, WORD flags, const DISPPARAMS& parameters) {
    calls.push_back({std::u16string(member), flags, arguments_of(parameters)});
  }

  HRESULT property(bool& value, WORD flags, const DISPPARAMS& parameters, VARIANT* result) {
    if (flags & DISPATCH_PROPERTYPUT) {
      if (parameters.cArgs != 1) return DISP_E_BADPARAMCOUNT;
      value = from_VARIANT(parameters.rgvarg[0]).boolean_value();
      return S_OK;
    }
    give(result, Variant::boolean(value));
    return S_OK;
  }

  IDispatch* make_add_in(const AddInEntry& entry, const std::shared_ptr<State>& self) {
    std::weak_ptr<State> weak = self;
    return new ScriptedObject({u"Name", u"Installed"},
                              [weak, entry](std::u16string_view member, WORD flags,
                                            DISPPARAMS& parameters, VARIANT* result) -> HRESULT {
                                if (auto state = weak.lock())
                                  state->record(member, flags, parameters);
                                if (member == u"Name") give(result, Variant::text(entry.name));
                                if (member == u"Installed")
                                  give(result, Variant::boolean(entry.installed));
                                return S_OK;
                              });
  }

  IDispatch* make_add_ins(const std::shared_ptr<State>& self) {
    std::vector<ComPtr<IDispatch>> items;
    for (const AddInEntry& entry : add_ins) {
      ComPtr<IDispatch> item;
      item.Attach(make_add_in(entry, self));
      items.push_back(item);
    }
    std::weak_ptr<State> weak = self;
    return new ScriptedObject({u"Count"},
                              [weak, items](std::u16string_view member, WORD flags,
                                            DISPPARAMS& parameters, VARIANT* result) -> HRESULT {
                                if (auto state = weak.lock())
                                  state->record(member, flags, parameters);
                                if (member == u"Count") {
                                  give(result, Variant::i4(std::int32_t(items.size())));
                                  return S_OK;
                                }
                                give_object(result, new Enumerator(items), VT_UNKNOWN);
                                return S_OK;
                              });
  }
};

ExcelStandIn::ExcelStandIn(std::vector<AddInEntry> add_ins) : state_(std::make_shared<State>()) {
  state_->add_ins = std::move(add_ins);
  std::weak_ptr<State> weak = state_;
  state_->application.Attach(new ScriptedObject(
      {u"DisplayAlerts", u"ScreenUpdating", u"AddIns", u"MacroOptions"},
      [weak](std::u16string_view member, WORD flags, DISPPARAMS& parameters,
             VARIANT* result) -> HRESULT {
        auto state = weak.lock();
        if (!state) return RPC_E_DISCONNECTED;
        state->record(member, flags, parameters);
        if (member == u"DisplayAlerts") {
          return state->property(state->display_alerts, flags, parameters, result);
        }
        if (member == u"ScreenUpdating") {
          return state->property(state->screen_updating, flags, parameters, result);
        }
        if (member == u"AddIns") {
          give_object(result, state->make_add_ins(state), VT_DISPATCH);
          return S_OK;
        }
        if (state->refuse_countdown > 0 && --state->refuse_countdown == 0) {
          return DISP_E_EXCEPTION;
        }
        return S_OK;  // MacroOptions
      }));
}

ExcelStandIn::~ExcelStandIn() {
  revoke_running();
  if (prog_id_registered_) RegDeleteTreeW(HKEY_CLASSES_ROOT, kHostProgId);
}

void ExcelStandIn::register_prog_id() {
  wchar_t class_text[40] = {};
  StringFromGUID2(kStandInClass, class_text, 40);
  const std::wstring key = std::wstring(kHostProgId) + L"\\CLSID";
  RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, class_text,
                  DWORD((lstrlenW(class_text) + 1) * sizeof(wchar_t)));
  prog_id_registered_ = true;
}

void ExcelStandIn::register_running() {
  if (running_cookie_ != 0) return;
  RegisterActiveObject(state_->application.Get(), kStandInClass, ACTIVEOBJECT_STRONG,
                       &running_cookie_);
}

void ExcelStandIn::revoke_running() {
  if (running_cookie_ == 0) return;
  RevokeActiveObject(running_cookie_, nullptr);
  running_cookie_ = 0;
}

void ExcelStandIn::refuse_macro_options_call(int n) { state_->refuse_countdown = n; }

const std::vector<HostCall>& ExcelStandIn::calls() const { return state_->calls; }
void ExcelStandIn::clear_calls() { state_->calls.clear(); }
bool ExcelStandIn::display_alerts() const { return state_->display_alerts; }
bool ExcelStandIn::screen_updating() const { return state_->screen_updating; }

}  // namespace kestrune::client
