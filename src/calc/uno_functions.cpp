// The Calc add-in: a UNO component implementing com.sun.star.sheet.AddIn over clsKestrune.
//
// Calc finds the functions as the methods of the interface generated from the member table
// (calc_functions.hpp), and their names, descriptions and argument texts through XAddIn, which
// reads the same table. Each method turns Calc's arguments into Variants, calls its member and
// turns the answer back (uno_values.hpp).
#include <uno/lbnames.h>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/lang/XServiceName.hpp>
#include <com/sun/star/lang/XSingleComponentFactory.hpp>
#include <com/sun/star/sheet/XAddIn.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/factory.hxx>
#include <cppuhelper/implbase4.hxx>
#include <cppuhelper/supportsservice.hxx>
#include <org/kestrune/XFunctions.hpp>
#include <uno/mapping.hxx>

#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "automation/member_table.hpp"
#include "base/failure.hpp"
#include "base/utf8.hpp"
#include "calc/calc_functions.hpp"
#include "calc/uno_locale.hpp"
#include "calc/uno_values.hpp"
#include "platform/posix/posix_host_platform.hpp"

namespace kestrune::calc {
namespace {

rtl::OUString ustring_of_utf8(std::string_view text) { return ustring_of(from_utf8(text)); }

css::uno::Sequence<rtl::OUString> service_names() {
  css::uno::Sequence<rtl::OUString> names(2);
  names.getArray()[0] = ustring_of_utf8(kAddInService);
  names.getArray()[1] = ustring_of_utf8(kImplementationName);
  return names;
}

// The platform pieces, once per process: the host integration's and Calc's decimal separator.
void install_platform(const css::uno::Reference<css::uno::XComponentContext>& context) {
  static std::once_flag installed;
  std::call_once(installed, [&] {
    install_default_host_platform(&make_posix_host_platform);
    install_user_locale(calc_locale(context));
  });
}

// XAddIn includes XLocalizable.
class Functions final
    : public cppu::WeakImplHelper4<org::kestrune::XFunctions, css::sheet::XAddIn,
                                   css::lang::XServiceName, css::lang::XServiceInfo> {
 public:
  explicit Functions(const css::uno::Reference<css::uno::XComponentContext>& context) {
    install_platform(context);
  }

#include "forwarding_methods.inc"

  // XAddIn: the texts of the Function Wizard. The display names are the member names.
  rtl::OUString SAL_CALL getProgrammaticFuntionName(const rtl::OUString& display_name) override {
    const MemberInfo* member = function_named(display_name);
    return member != nullptr ? ustring_of_utf8(member->name) : rtl::OUString();
  }
  rtl::OUString SAL_CALL getDisplayFunctionName(const rtl::OUString& name) override {
    return getProgrammaticFuntionName(name);
  }
  rtl::OUString SAL_CALL getFunctionDescription(const rtl::OUString& name) override {
    const MemberInfo* member = function_named(name);
    return member != nullptr ? ustring_of_utf8(member->one_line_description()) : rtl::OUString();
  }
  rtl::OUString SAL_CALL getDisplayArgumentName(const rtl::OUString& name,
                                                sal_Int32 argument) override {
    const ParameterInfo* parameter = parameter_of(name, argument);
    return parameter != nullptr ? ustring_of_utf8(parameter->name) : rtl::OUString();
  }
  rtl::OUString SAL_CALL getArgumentDescription(const rtl::OUString& name,
                                                sal_Int32 argument) override {
    const ParameterInfo* parameter = parameter_of(name, argument);
    return parameter != nullptr ? ustring_of_utf8(parameter->help) : rtl::OUString();
  }
  rtl::OUString SAL_CALL getProgrammaticCategoryName(const rtl::OUString&) override {
    return ustring_of_utf8(kCategory);
  }
  rtl::OUString SAL_CALL getDisplayCategoryName(const rtl::OUString&) override {
    return ustring_of_utf8(kCategoryDisplayName);
  }

  // XServiceName: the name Calc stores the functions under, in every document.
  rtl::OUString SAL_CALL getServiceName() override { return ustring_of_utf8(kImplementationName); }

  // XServiceInfo
  rtl::OUString SAL_CALL getImplementationName() override {
    return ustring_of_utf8(kImplementationName);
  }
  sal_Bool SAL_CALL supportsService(const rtl::OUString& name) override {
    return cppu::supportsService(this, name);
  }
  css::uno::Sequence<rtl::OUString> SAL_CALL getSupportedServiceNames() override {
    return service_names();
  }

  // XLocalizable: the texts are English in every interface language.
  void SAL_CALL setLocale(const css::lang::Locale& locale) override { locale_ = locale; }
  css::lang::Locale SAL_CALL getLocale() override { return locale_; }

 private:
  static const MemberInfo* function_named(const rtl::OUString& name) {
    return find_calc_function(rtl::OUStringToOString(name, RTL_TEXTENCODING_UTF8).getStr());
  }
  static const ParameterInfo* parameter_of(const rtl::OUString& name, sal_Int32 argument) {
    const MemberInfo* member = function_named(name);
    if (member == nullptr || argument < 0 || std::size_t(argument) >= member->parameters.size()) {
      return nullptr;
    }
    return &member->parameters[std::size_t(argument)];
  }

  // A required argument left out is refused as Calc refuses invalid arguments (Err:502): Calc
  // offers every argument of an add-in as optional.
  static void check_required(const MemberInfo& member, const std::vector<Variant>& arguments,
                             const css::uno::Reference<css::uno::XInterface>& self) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if (!member.parameters[i].optional && arguments[i].is_missing()) {
        throw css::lang::IllegalArgumentException(
            ustring_of_utf8(std::string(member.parameters[i].name) + " is required"), self,
            sal_Int16(i));
      }
    }
  }

  css::uno::Any call(std::size_t position, std::span<const css::uno::Any* const> arguments) {
    return guarded([&] {
      const MemberInfo& member = members()[position];
      std::vector<Variant> values;
      values.reserve(arguments.size());
      for (const css::uno::Any* argument : arguments) {
        values.push_back(variant_from_any(*argument));
      }
      check_required(member, values, static_cast<cppu::OWeakObject*>(this));
      return answer(member, values);
    });
  }

  // A list member's arguments, gathered as a worksheet gathers them for the member.
  css::uno::Any call_list(std::size_t position, const css::uno::Sequence<css::uno::Any>& list) {
    return guarded([&] {
      Array gathered = Array::one_dimensional(std::size_t(list.getLength()), 0);
      for (sal_Int32 i = 0; i < list.getLength(); ++i) gathered.at(i) = variant_from_any(list[i]);
      std::vector<Variant> values{Variant::array(std::move(gathered))};
      return answer(members()[position], values);
    });
  }

  css::uno::Any answer(const MemberInfo& member, std::vector<Variant>& arguments) {
    const std::lock_guard<std::mutex> one_call_at_a_time(calls_);
    keep_uno_face();
    return any_from_variant(member.invoke(object_, arguments));
  }

  // Calc calls a function through UNO's reflection, which maps this object into UNO's own
  // environment for the call and, when nothing else holds that mapped face, builds it afresh and
  // tears it down again each time: more than half of what a call without arguments costs Calc.
  // Holding the face once makes every later call find it. The face holds this object, which
  // therefore lives until the office ends, as Calc's own reference to it makes it live anyway.
  void keep_uno_face() {
    if (uno_face_ != nullptr) return;
    const css::uno::Mapping to_uno(CPPU_CURRENT_LANGUAGE_BINDING_NAME, UNO_LB_UNO);
    uno_face_ = to_uno.mapInterface(static_cast<org::kestrune::XFunctions*>(this),
                                    cppu::UnoType<org::kestrune::XFunctions>::get());
  }

  // A call that fails (a Failure, memory, a fault) shows #VALUE!, as a worksheet function that
  // raises does: no C++ exception may cross into Calc, which would end the office.
  template <class Work>
  static css::uno::Any guarded(Work&& work) {
    try {
      return work();
    } catch (const std::exception& failure) {
      throw css::uno::RuntimeException(ustring_of_utf8(failure.what()));
    }
  }

  void* uno_face_ = nullptr;  // this object in UNO's environment, held for good
  std::mutex calls_;          // the object keeps its searches' memory between calls
  clsKestrune object_;
  css::lang::Locale locale_;
};

css::uno::Reference<css::uno::XInterface> SAL_CALL
create_functions(const css::uno::Reference<css::uno::XComponentContext>& context) {
  return static_cast<cppu::OWeakObject*>(new Functions(context));
}

}  // namespace
}  // namespace kestrune::calc

extern "C" SAL_DLLPUBLIC_EXPORT void* SAL_CALL component_getFactory(const char* name, void*,
                                                                    void*) {
  using namespace kestrune::calc;
  if (name == nullptr || std::string_view(name) != kImplementationName) return nullptr;
  const css::uno::Reference<css::lang::XSingleComponentFactory> factory =
      cppu::createSingleComponentFactory(&create_functions, ustring_of_utf8(kImplementationName),
                                         service_names());
  factory->acquire();
  return factory.get();
}

extern "C" SAL_DLLPUBLIC_EXPORT void SAL_CALL
component_getImplementationEnvironment(const char** environment, uno_Environment**) {
  *environment = CPPU_CURRENT_LANGUAGE_BINDING_NAME;
}
