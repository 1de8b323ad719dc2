#include "platform/posix/posix_locale.hpp"

#include <langinfo.h>
#include <locale.h>

#include "base/utf8.hpp"

namespace kestrune {
namespace {

// The radix character of the environment's numeric locale, in UTF-8.
std::string environment_radix() {
  locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (numeric == static_cast<locale_t>(0)) return ".";  // an unknown locale: the C locale's
  std::string radix = nl_langinfo_l(RADIXCHAR, numeric);
  freelocale(numeric);
  return radix;
}

}  // namespace

PosixLocale::PosixLocale() : separator_(from_utf8(environment_radix())) {}

}  // namespace kestrune
