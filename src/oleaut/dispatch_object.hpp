// DispatchObject: an object of another program (a cell reference, the running host, one of
// its collections) reached by member name through its IDispatch.
//
// It is what an incoming VT_DISPATCH becomes inside the core: reading it as a value asks for
// its default member (DISPID_VALUE), as the automation conversion of an object does; the host
// integration calls its members by name. The pointer belongs to the thread's apartment, so
// the object is used on the thread that received it.
//
//   auto host = std::make_shared<DispatchObject>(application);
//   host->put(u"ScreenUpdating", Variant::boolean(false));
//   Variant add_ins = host->get(u"AddIns");
//
// A call the object refuses is a Failure that names the member and the object's own message.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include "host/automation_object.hpp"

namespace kestrune {

class DispatchObject final : public AutomationObject {
 public:
  explicit DispatchObject(Microsoft::WRL::ComPtr<IDispatch> object);

  Variant get(std::u16string_view member) const override;
  void put(std::u16string_view member, const Variant& value) const override;
  Variant call(std::u16string_view member, std::span<const CallArgument> arguments) const override;
  using AutomationObject::call;
  void for_each(const std::function<void(const Variant&)>& visit) const override;

  IDispatch* dispatch() const { return object_.Get(); }

 private:
  DISPID member_id(std::u16string_view member) const;
  Variant invoke(std::u16string_view member, DISPID id, WORD flags, DISPPARAMS& parameters) const;

  Microsoft::WRL::ComPtr<IDispatch> object_;
};

}  // namespace kestrune
