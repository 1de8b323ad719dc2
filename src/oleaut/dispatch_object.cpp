#include "oleaut/dispatch_object.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "base/failure.hpp"
#include "base/utf8.hpp"
#include "oleaut/automation_error.hpp"
#include "oleaut/variant_bridge.hpp"

namespace kestrune {
namespace {

using Microsoft::WRL::ComPtr;

// How a late-bound caller reads a property or calls a member whose result it may use.
constexpr WORD kGetOrCall = DISPATCH_PROPERTYGET | DISPATCH_METHOD;

// The object's own message where it gave one, else the error number.
[[noreturn]] void fail_call(std::u16string_view member, HRESULT result, EXCEPINFO& exception) {
  if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
  OwnedBstr description(exception.bstrDescription);
  OwnedBstr source(exception.bstrSource);
  OwnedBstr help_file(exception.bstrHelpFile);
  std::string message = "the call of " + to_utf8(member) + " failed: ";
  if (result == DISP_E_EXCEPTION && description.get() != nullptr) {
    message += to_utf8(from_BSTR(description.get()));
  } else {
    message +=
        hresult_text(result == DISP_E_EXCEPTION && exception.scode != 0 ? exception.scode : result);
  }
  fail(message);
}

// The VARIANTs of one call, in the order DISPPARAMS wants them: named ones first, then the
// positional ones from last to first.
class ArgumentBlock {
 public:
  explicit ArgumentBlock(std::size_t count) : values_(count) {
    for (VARIANT& value : values_) VariantInit(&value);
  }
  ~ArgumentBlock() {
    for (VARIANT& value : values_) VariantClear(&value);
  }
  ArgumentBlock(const ArgumentBlock&) = delete;
  ArgumentBlock& operator=(const ArgumentBlock&) = delete;

  VARIANT& operator[](std::size_t i) { return values_[i]; }
  VARIANT* data() { return values_.data(); }
  UINT size() const { return static_cast<UINT>(values_.size()); }

 private:
  std::vector<VARIANT> values_;
};

}  // namespace

DispatchObject::DispatchObject(ComPtr<IDispatch> object) : object_(std::move(object)) {
  if (!object_) fail(FailureKind::object_not_set);
}

DISPID DispatchObject::member_id(std::u16string_view member) const {
  if (member == kDefaultMember) return DISPID_VALUE;
  std::u16string name(member);
  LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(name.data())};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT result = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(result)) {
    fail("the object has no member " + to_utf8(member) + " (" + hresult_text(result) + ")");
  }
  return id;
}

Variant DispatchObject::invoke(std::u16string_view member, DISPID id, WORD flags,
                               DISPPARAMS& parameters) const {
  OwnedVariant result;
  EXCEPINFO exception{};
  UINT argument_error = 0;
  const HRESULT outcome = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                          result.get(), &exception, &argument_error);
  if (FAILED(outcome)) fail_call(member, outcome, exception);
  return from_VARIANT(*result);
}

Variant DispatchObject::get(std::u16string_view member) const {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return invoke(member, member_id(member), kGetOrCall, none);
}

void DispatchObject::put(std::u16string_view member, const Variant& value) const {
  ArgumentBlock arguments(1);
  to_VARIANT(value, arguments[0]);
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{arguments.data(), &named, 1, 1};
  invoke(member, member_id(member), DISPATCH_PROPERTYPUT, parameters);
}

Variant DispatchObject::call(std::u16string_view member,
                             std::span<const CallArgument> arguments) const {
  // One GetIDsOfNames for the member and the names of its named arguments.
  std::vector<std::u16string> names{std::u16string(member)};
  for (const CallArgument& argument : arguments) {
    if (!argument.name.empty()) names.push_back(argument.name);
  }
  std::vector<LPOLESTR> name_pointers;
  for (std::u16string& name : names) {
    name_pointers.push_back(reinterpret_cast<LPOLESTR>(name.data()));
  }
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  if (member == kDefaultMember) {
    ids[0] = DISPID_VALUE;
  } else {
    const HRESULT result =
        object_->GetIDsOfNames(IID_NULL, name_pointers.data(), static_cast<UINT>(names.size()),
                               LOCALE_USER_DEFAULT, ids.data());
    if (FAILED(result)) {
      fail("the object has no member " + to_utf8(member) + " with these named arguments (" +
           hresult_text(result) + ")");
    }
  }

  const std::size_t named_count = names.size() - 1;
  const std::size_t positional_count = arguments.size() - named_count;
  ArgumentBlock block(arguments.size());
  std::size_t named_slot = 0;
  std::size_t positional_seen = 0;
  for (const CallArgument& argument : arguments) {
    if (argument.name.empty()) {
      to_VARIANT(argument.value, block[arguments.size() - 1 - positional_seen++]);
    } else {
      to_VARIANT(argument.value, block[named_slot++]);
    }
  }
  if (positional_seen != positional_count) fail("positional arguments must come first");
  DISPPARAMS parameters{block.data(), named_count ? ids.data() + 1 : nullptr, block.size(),
                        static_cast<UINT>(named_count)};
  return invoke(member, ids[0], kGetOrCall, parameters);
}

void DispatchObject::for_each(const std::function<void(const Variant&)>& visit) const {
  static constexpr std::u16string_view kEnumerator = u"_NewEnum";
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  OwnedVariant enumerator_holder;
  EXCEPINFO exception{};
  HRESULT result = object_->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, kGetOrCall, &none,
                                   enumerator_holder.get(), &exception, nullptr);
  if (FAILED(result)) fail_call(kEnumerator, result, exception);

  const VARIANT& holder = *enumerator_holder;
  IUnknown* unknown = V_VT(&holder) == VT_UNKNOWN    ? V_UNKNOWN(&holder)
                      : V_VT(&holder) == VT_DISPATCH ? V_DISPATCH(&holder)
                                                     : nullptr;
  ComPtr<IEnumVARIANT> enumerator;
  if (unknown == nullptr || FAILED(unknown->QueryInterface(IID_PPV_ARGS(&enumerator)))) {
    fail("the object is not a collection");
  }
  for (;;) {
    OwnedVariant item;
    ULONG fetched = 0;
    result = enumerator->Next(1, item.get(), &fetched);
    if (FAILED(result)) fail("walking the collection failed: " + hresult_text(result));
    if (result != S_OK || fetched == 0) return;
    visit(from_VARIANT(*item));
  }
}

}  // namespace kestrune
