// The user's locale, as far as the worksheet functions need it: the decimal separator.
//
// The platform installs its source once at start-up (posix: LC_NUMERIC; Windows: the user's
// locale settings); tests and the command line's --decimal-separator install a fixed one.
//
//   install_user_locale(std::make_shared<FixedLocale>(u","));
//   char16_t sep = decimal_separator();   // ','
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kestrune {

class UserLocale {
 public:
  virtual ~UserLocale() = default;
  // The separator as the platform reports it; empty when the platform reports none.
  virtual std::u16string_view decimal_separator() const = 0;
};

class FixedLocale final : public UserLocale {
 public:
  explicit FixedLocale(std::u16string separator) : separator_(std::move(separator)) {}
  std::u16string_view decimal_separator() const override { return separator_; }

 private:
  std::u16string separator_;
};

// Installs the process-wide source (nullptr restores the built-in "." locale). Install before
// worker threads start; the source must not change while calls run.
void install_user_locale(std::shared_ptr<const UserLocale> locale);
const UserLocale& user_locale();

// The first character of the user's decimal separator; a Failure when the platform reports none.
char16_t decimal_separator();

}  // namespace kestrune
