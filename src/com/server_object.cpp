#include "com/server_object.hpp"

#include <wrl/client.h>

#include <exception>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"
#include "base/failure.hpp"
#include "com/kestrune_h.h"
#include "com/server_module.hpp"
#include "oleaut/automation_error.hpp"
#include "oleaut/com_object.hpp"
#include "oleaut/variant_bridge.hpp"

namespace kestrune {
namespace {

using Microsoft::WRL::ComPtr;

// One by-reference parameter as a vtable method receives it: a VARIANT, or the array of the
// list members. A null VARIANT pointer, which only a C++ caller can pass, is an argument left
// out.
class Parameter {
 public:
  // Implicit, so the vtable methods can list their parameters as they receive them.
  Parameter(VARIANT* value) : value_(value) {}
  Parameter(SAFEARRAY** list) : list_(list) {}

  Variant read() const {
    if (list_ != nullptr) return from_SAFEARRAY(*list_);
    return value_ != nullptr ? from_VARIANT(*value_) : Variant::missing();
  }

  void write(const Variant& value) const {
    if (value_ != nullptr) return write_back(*value_, value);
    if (list_ != nullptr && value.is_array() &&
        value.array_value().element_type() == VariantType::variant) {
      SAFEARRAY* made = to_SAFEARRAY(value.array_value());
      SafeArrayDestroy(*list_);
      *list_ = made;
    }
  }

 private:
  VARIANT* value_ = nullptr;
  SAFEARRAY** list_ = nullptr;
};

// Runs a member on the caller's arguments. Arguments the member changed (the defaults it
// writes into omitted or blank ones) go back to the caller, also when the member fails.
Variant run_member(clsKestrune& object, const MemberInfo& member,
                   std::span<const Parameter> parameters) {
  if (member.parameters.size() != parameters.size()) {
    fail(FailureKind::invalid_call, "" + std::string(member.name) + " takes " +
                                        std::to_string(member.parameters.size()) + " arguments");
  }
  std::vector<Variant> arguments;
  arguments.reserve(parameters.size());
  for (const Parameter& parameter : parameters) arguments.push_back(parameter.read());
  const std::vector<Variant> as_passed = arguments;

  Variant result;
  std::exception_ptr failure;
  try {
    result = member.invoke(object, arguments);
  } catch (...) {
    failure = std::current_exception();
  }
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (!(arguments[i] == as_passed[i])) parameters[i].write(arguments[i]);
  }
  if (failure) std::rethrow_exception(failure);
  return result;
}

const MemberInfo& member_named(std::string_view name) {
  const MemberInfo* member = find_member(name);
  if (member == nullptr) fail("the member " + std::string(name) + " is not in the dispatch table");
  return *member;
}

std::span<const Parameter> as_span(std::initializer_list<Parameter> parameters) {
  return {parameters.begin(), parameters.size()};
}

bool is_missing_marker(const VARIANT& value) {
  if (V_VT(&value) == (VT_BYREF | VT_VARIANT)) return is_missing_marker(*V_VARIANTREF(&value));
  return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
}

// The caller's arguments of an IDispatch::Invoke, one VARIANT per parameter in parameter
// order: positional ones, named ones at their parameter's place, and a missing-argument marker
// for each optional one left out.
class ArrangedArguments {
 public:
  HRESULT arrange(const MemberInfo& member, DISPPARAMS& given, UINT* argument_error) {
    const std::size_t count = member.parameters.size();
    if (given.cArgs > count || given.cNamedArgs > given.cArgs) return DISP_E_BADPARAMCOUNT;
    slots_.assign(count, nullptr);
    const UINT positional = given.cArgs - given.cNamedArgs;
    for (UINT i = 0; i < positional; ++i) slots_[i] = &given.rgvarg[given.cArgs - 1 - i];
    for (UINT k = 0; k < given.cNamedArgs; ++k) {
      const DISPID position = given.rgdispidNamedArgs[k];
      if (position < 0 || std::size_t(position) >= count || slots_[std::size_t(position)]) {
        if (argument_error != nullptr) *argument_error = k;
        return DISP_E_PARAMNOTFOUND;
      }
      slots_[std::size_t(position)] = &given.rgvarg[k];
    }
    missing_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      if (slots_[i] != nullptr && !is_missing_marker(*slots_[i])) continue;
      if (!member.parameters[i].optional) return DISP_E_PARAMNOTOPTIONAL;
      if (slots_[i] != nullptr) continue;  // the caller's own marker, passed on as it is
      VariantInit(&missing_[i]);
      V_VT(&missing_[i]) = VT_ERROR;
      V_ERROR(&missing_[i]) = DISP_E_PARAMNOTFOUND;
      slots_[i] = &missing_[i];
    }
    for (VARIANT* slot : slots_) parameters_.emplace_back(slot);
    return S_OK;
  }

  std::span<const Parameter> parameters() const { return parameters_; }

 private:
  std::vector<VARIANT*> slots_;
  std::vector<VARIANT> missing_;  // markers hold no resources: nothing to clear
  std::vector<Parameter> parameters_;
};

class ServerObject final : public ComObject<ServerObject, _clsKestrune, ISupportErrorInfo> {
 public:
  explicit ServerObject(ComPtr<ITypeInfo> type_info) : type_info_(std::move(type_info)) {
    server_module::count_object(+1);
  }
  ~ServerObject() { server_module::count_object(-1); }

  void* interface_for(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__clsKestrune) {
      return static_cast<_clsKestrune*>(this);
    }
    if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }

  // IDispatch, through the type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return type_info_.CopyTo(info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return DispGetIDsOfNames(type_info_.Get(), names, count, ids);
  }
  // Invoke reaches the member through the dispatch table rather than DispInvoke: the caller's
  // VARIANTs, by value or by reference, go to the member as they are. (Wine's DispInvoke
  // refuses a missing-argument marker passed by value to an optional VARIANT* parameter and a
  // variable holding an array for the list members.)
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const MemberInfo* member = find_member(std::int32_t(id));
    if (member == nullptr || !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) {
      return DISP_E_MEMBERNOTFOUND;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ArrangedArguments arguments;
    const HRESULT arranged =
        arguments.arrange(*member, parameters ? *parameters : none, argument_error);
    if (FAILED(arranged)) return arranged;
    if (result != nullptr) VariantInit(result);
    try {
      const Variant answer = run_member(object_, *member, arguments.parameters());
      if (result != nullptr && member->result != ResultKind::nothing) to_VARIANT(answer, *result);
      return S_OK;
    } catch (...) {
      return report_current_exception(exception);
    }
  }

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == IID__clsKestrune ? S_OK : S_FALSE;
  }

  // _clsKestrune, in slot order.
  HRESULT STDMETHODCALLTYPE krHelpfilePath(BSTR* result) override {
    return text_call(result, "krHelpfilePath", {});
  }
  HRESULT STDMETHODCALLTYPE krREGEX(VARIANT* string_to_search, VARIANT* regex,
                                    VARIANT* case_sensitive, VARIANT* replace_text,
                                    VARIANT* return_type, VARIANT* not_found_return,
                                    VARIANT* result) override {
    return variant_call(
        result, "krREGEX",
        {string_to_search, regex, case_sensitive, replace_text, return_type, not_found_return});
  }
  HRESULT STDMETHODCALLTYPE Reverse(VARIANT* strInput, BSTR* result) override {
    return text_call(result, "Reverse", {strInput});
  }
  HRESULT STDMETHODCALLTYPE krSEARCH(VARIANT* string_to_search, VARIANT* find_text,
                                     VARIANT* case_sensitive, VARIANT* return_type,
                                     VARIANT* find_before_text, VARIANT* find_not_before_text,
                                     VARIANT* return_position_offset, VARIANT* return_length_offset,
                                     VARIANT* search_from_right, VARIANT* not_found_return,
                                     VARIANT* result) override {
    return variant_call(result, "krSEARCH",
                        {string_to_search, find_text, case_sensitive, return_type, find_before_text,
                         find_not_before_text, return_position_offset, return_length_offset,
                         search_from_right, not_found_return});
  }
  HRESULT STDMETHODCALLTYPE krREPLACE(VARIANT* string_to_search, VARIANT* find_text,
                                      VARIANT* replace_text, VARIANT* case_sensitive,
                                      VARIANT* replace_all, VARIANT* find_before_text,
                                      VARIANT* find_not_before_text, VARIANT* search_from_right,
                                      VARIANT* not_found_return, VARIANT* result) override {
    return variant_call(
        result, "krREPLACE",
        {string_to_search, find_text, replace_text, case_sensitive, replace_all, find_before_text,
         find_not_before_text, search_from_right, not_found_return});
  }
  HRESULT STDMETHODCALLTYPE krCOUNTINCELL(VARIANT* cell_reference, VARIANT* find_text,
                                          VARIANT* case_sensitive, VARIANT* result) override {
    return variant_call(result, "krCOUNTINCELL", {cell_reference, find_text, case_sensitive});
  }
  HRESULT STDMETHODCALLTYPE krGETWORD(VARIANT* string_to_search, VARIANT* nth_word,
                                      VARIANT* word_separator, VARIANT* case_sensitive,
                                      VARIANT* search_from_right, VARIANT* not_found_return,
                                      VARIANT* result) override {
    return variant_call(result, "krGETWORD",
                        {string_to_search, nth_word, word_separator, case_sensitive,
                         search_from_right, not_found_return});
  }
  HRESULT STDMETHODCALLTYPE krST(VARIANT* num, VARIANT* exclude_num, VARIANT* upper_case,
                                 VARIANT* result) override {
    return variant_call(result, "krST", {num, exclude_num, upper_case});
  }
  HRESULT STDMETHODCALLTYPE krCONCATULA(VARIANT* text_formula, VARIANT* result) override {
    return variant_call(result, "krCONCATULA", {text_formula});
  }
  HRESULT STDMETHODCALLTYPE krEXCLUDE(SAFEARRAY** exclude_list, BSTR* result) override {
    return text_call(result, "krEXCLUDE", {exclude_list});
  }
  HRESULT STDMETHODCALLTYPE krEXCLUDENOTNUM(SAFEARRAY** exclude_list, BSTR* result) override {
    return text_call(result, "krEXCLUDENOTNUM", {exclude_list});
  }
  HRESULT STDMETHODCALLTYPE krEXTRACT(SAFEARRAY** extract_list, BSTR* result) override {
    return text_call(result, "krEXTRACT", {extract_list});
  }
  HRESULT STDMETHODCALLTYPE krEXTRACTNUM(SAFEARRAY** extract_list, BSTR* result) override {
    return text_call(result, "krEXTRACTNUM", {extract_list});
  }
  HRESULT STDMETHODCALLTYPE krVERSION(BSTR* result) override {
    return text_call(result, "krVERSION", {});
  }
  HRESULT STDMETHODCALLTYPE krTEST(BSTR* result) override {
    return text_call(result, "krTEST", {});
  }
  HRESULT STDMETHODCALLTYPE krABOUT() override {
    try {
      run_member(object_, member_named("krABOUT"), {});
      return S_OK;
    } catch (...) {
      return report_current_exception();
    }
  }

 private:
  HRESULT variant_call(VARIANT* result, std::string_view name,
                       std::initializer_list<Parameter> parameters) {
    if (result == nullptr) return E_POINTER;
    VariantInit(result);
    try {
      to_VARIANT(run_member(object_, member_named(name), as_span(parameters)), *result);
      return S_OK;
    } catch (...) {
      return report_current_exception();
    }
  }

  HRESULT text_call(BSTR* result, std::string_view name,
                    std::initializer_list<Parameter> parameters) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    try {
      *result = to_BSTR(run_member(object_, member_named(name), as_span(parameters)).text_value());
      return S_OK;
    } catch (...) {
      return report_current_exception();
    }
  }

  ComPtr<ITypeInfo> type_info_;
  clsKestrune object_;
};

}  // namespace

HRESULT create_server_object(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ComPtr<ITypeInfo> type_info;
  const HRESULT loaded = server_module::interface_type_info(&type_info);
  if (FAILED(loaded)) return loaded;
  try {
    server_module::prepare();
    // Creating the object loads the thread's hidden form and starts its timer.
    server_module::note_thread_state();
    ComPtr<ServerObject> made;
    made.Attach(new ServerObject(std::move(type_info)));
    return made->QueryInterface(iid, object);
  } catch (...) {
    return report_current_exception();
  }
}

}  // namespace kestrune
