#include "variant/locale.hpp"

#include "base/failure.hpp"

namespace kestrune {
namespace {

std::shared_ptr<const UserLocale>& installed_locale() {
  static std::shared_ptr<const UserLocale> locale = std::make_shared<FixedLocale>(u".");
  return locale;
}

}  // namespace

void install_user_locale(std::shared_ptr<const UserLocale> locale) {
  installed_locale() = locale ? std::move(locale) : std::make_shared<FixedLocale>(u".");
}

const UserLocale& user_locale() { return *installed_locale(); }

char16_t decimal_separator() {
  const std::u16string_view separator = user_locale().decimal_separator();
  if (separator.empty()) fail("the platform reports no decimal separator");
  return separator.front();
}

}  // namespace kestrune
