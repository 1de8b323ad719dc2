// krST's body: the English ordinal indicator of a cardinal number ("st", "nd", "rd", "th"),
// after the number unless exclude_num, in upper case with upper_case. A failure answers
// "#VALUE!". The arguments are the member's, by reference.
//
//   Variant num = Variant::number(22), missing = Variant::missing(), other = missing;
//   ordinal_suffix(num, missing, other);   // "22nd"
#pragma once

#include "variant/variant.hpp"

namespace kestrune {

Variant ordinal_suffix(Variant& num, Variant& exclude_num, Variant& upper_case);

}  // namespace kestrune
