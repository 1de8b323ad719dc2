// same_text: whether two 16-bit texts hold the same units, compared as bytes. The standard
// comparison of char16_t strings goes unit by unit, which shows when a pattern or a cell is
// compared with the one remembered on every call.
//
//   if (!same_text(remembered, pattern)) recompile(pattern);
#pragma once

#include <cstring>
#include <string_view>

namespace kestrune {

inline bool same_text(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

}  // namespace kestrune
