// The decimal separator of Calc's locale, for the conversions of the worksheet functions.
//
// Calc formats numbers by the locale setting (Tools ▸ Options ▸ Language Settings ▸ Languages),
// which follows the system's locale unless the user names one; the locale Calc tells an add-in
// through XLocalizable is the interface language instead, which can differ. So the separator
// is read from the configuration and the office's own locale data.
//
//   install_user_locale(calc_locale(context));
#pragma once

#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <memory>

#include "variant/locale.hpp"

namespace kestrune::calc {

// The locale setting's decimal separator; where the office cannot tell it, the environment's
// (LC_NUMERIC).
std::shared_ptr<const UserLocale> calc_locale(
    const css::uno::Reference<css::uno::XComponentContext>& context);

}  // namespace kestrune::calc
