// mdl_Constants: the values every member shares, named once.
#pragma once

#include <string_view>

namespace kestrune::mdl_Constants {

// The version the functions report.
inline constexpr std::u16string_view version = u"1.0";

// What the functions return when they cannot answer: always this 7-character text, never the
// host's error value.
inline constexpr std::u16string_view value_error_text = u"#VALUE!";

}  // namespace kestrune::mdl_Constants
