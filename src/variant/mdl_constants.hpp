// mdl_Constants: the values every member shares, named once.
#pragma once

#include <string_view>

#include "variant/variant.hpp"

namespace kestrune::mdl_Constants {

// The version the functions report.
inline constexpr std::u16string_view version = u"1.0";

// What the functions return when they cannot answer: always this 7-character text, never the
// host's error value.
inline constexpr std::u16string_view value_error_text = u"#VALUE!";
// The same text as the default of every omitted not_found_return. Most calls answer it, so the
// argument and the answer refer to it, uncopied.
extern const LastingText value_error;

}  // namespace kestrune::mdl_Constants
