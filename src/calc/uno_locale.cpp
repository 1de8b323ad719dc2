#include "calc/uno_locale.hpp"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/i18n/LocaleData2.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/uno/Sequence.hxx>

#include <string>

#include "calc/uno_values.hpp"
#include "platform/posix/posix_locale.hpp"

namespace kestrune::calc {
namespace {

// A configuration setting of type string; empty when it is not set.
rtl::OUString setting(const css::uno::Reference<css::uno::XComponentContext>& context,
                      const rtl::OUString& node, const rtl::OUString& name) {
  const auto provider = css::configuration::theDefaultProvider::get(context);
  css::beans::PropertyValue path;
  path.Name = "nodepath";
  path.Value <<= node;
  const css::uno::Any arguments[] = {css::uno::Any(path)};
  const css::uno::Reference<css::container::XNameAccess> access(
      provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess",
                                            css::uno::Sequence<css::uno::Any>(arguments, 1)),
      css::uno::UNO_QUERY_THROW);
  rtl::OUString value;
  access->getByName(name) >>= value;
  return value;
}

// The office's spelling of a language tag: "de-DE" as language and country; any other tag
// ("ca-ES-valencia") whole, under the language "qlt".
css::lang::Locale locale_of(const rtl::OUString& tag) {
  css::lang::Locale locale;
  const sal_Int32 dash = tag.indexOf('-');
  const bool simple = tag.indexOf('-', dash + 1) < 0;
  if (dash < 0) {
    locale.Language = tag;
  } else if (simple) {
    locale.Language = tag.copy(0, dash);
    locale.Country = tag.copy(dash + 1);
  } else {
    locale.Language = "qlt";
    locale.Variant = tag;
  }
  return locale;
}

// The locale setting, or the system's locale when it names none.
rtl::OUString locale_setting(const css::uno::Reference<css::uno::XComponentContext>& context) {
  const rtl::OUString chosen =
      setting(context, "/org.openoffice.Setup/L10N", "ooSetupSystemLocale");
  return chosen.isEmpty() ? setting(context, "/org.openoffice.System/L10N", "Locale") : chosen;
}

}  // namespace

std::shared_ptr<const UserLocale> calc_locale(
    const css::uno::Reference<css::uno::XComponentContext>& context) {
  try {
    const rtl::OUString tag = locale_setting(context);
    const rtl::OUString separator =
        css::i18n::LocaleData2::create(context)->getLocaleItem(locale_of(tag)).decimalSeparator;
    if (!tag.isEmpty() && !separator.isEmpty()) {
      return std::make_shared<FixedLocale>(text_of(separator));
    }
  } catch (const css::uno::Exception&) {  // no configuration or locale data: the environment's
  }
  return std::make_shared<PosixLocale>();
}

}  // namespace kestrune::calc
