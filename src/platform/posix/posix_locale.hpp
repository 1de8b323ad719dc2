// The posix user locale: the decimal separator of the environment's LC_NUMERIC.
//
//   install_user_locale(std::make_shared<PosixLocale>());
#pragma once

#include <string>

#include "variant/locale.hpp"

namespace kestrune {

class PosixLocale final : public UserLocale {
 public:
  // Reads LC_NUMERIC from the environment (LC_ALL, LC_NUMERIC, LANG) without changing the
  // process's own C locale.
  PosixLocale();
  std::u16string_view decimal_separator() const override { return separator_; }

 private:
  std::u16string separator_;
};

}  // namespace kestrune
