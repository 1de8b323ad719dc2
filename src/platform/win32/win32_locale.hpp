// The Windows user locale: the decimal separator of the user's regional settings.
//
//   install_user_locale(std::make_shared<Win32Locale>());
#pragma once

#include <string>

#include "variant/locale.hpp"

namespace kestrune {

class Win32Locale final : public UserLocale {
 public:
  // Reads the separator once, with GetLocaleInfoA for the user's default locale.
  Win32Locale();
  std::u16string_view decimal_separator() const override { return separator_; }

 private:
  std::u16string separator_;
};

}  // namespace kestrune
