// UTF-8 at the edges: texts inside are 16-bit units, files and terminals speak UTF-8.
//
//   std::u16string text = from_utf8("Größe");     // 5 units
//   std::string bytes = to_utf8(text);
//
// A byte sequence that is not UTF-8 reads as U+FFFD per bad sequence; a lone surrogate, which
// UTF-8 cannot carry, is written as U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

inline constexpr char16_t kReplacementCharacter = 0xFFFD;

std::u16string from_utf8(std::string_view bytes);
std::string to_utf8(std::u16string_view text);

// Appends one code point (up to U+10FFFF) in UTF-8.
void append_utf8(std::string& out, char32_t code_point);

}  // namespace kestrune
