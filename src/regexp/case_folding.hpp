// Case-insensitive matching as ECMAScript defines it for non-unicode patterns.
//
// Two units match without regard to case when their canonical forms are equal. A unit's
// canonical form is its upper case when that is exactly one unit, except that no unit outside
// ASCII takes an ASCII form: "ß" stays "ß", "ſ" (long s) does not become "S", and the Kelvin
// sign keeps its own form, so it does not match "k".
//
//   close_under_case(CharSet::of(u'k'))  // {K, k}
#pragma once

#include "regexp/char_set.hpp"

namespace kestrune::regexp_internal {

char16_t canonical_case(char16_t unit);

// Every unit whose canonical form is that of a unit in `set`.
CharSet close_under_case(const CharSet& set);

}  // namespace kestrune::regexp_internal
