#include "platform/win32/win32_locale.hpp"

#include <windows.h>

#include "platform/win32/ansi_text.hpp"

namespace kestrune {
namespace {

// LOCALE_SDECIMAL holds at most three characters and the terminating zero.
constexpr int kSeparatorBufferSize = 4;

std::u16string user_decimal_separator() {
  char separator[kSeparatorBufferSize] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, kSeparatorBufferSize) == 0) {
    return u"";
  }
  return from_ansi(separator);
}

}  // namespace

Win32Locale::Win32Locale() : separator_(user_decimal_separator()) {}

}  // namespace kestrune
