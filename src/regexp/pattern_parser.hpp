// Reads an ECMAScript pattern (non-unicode mode, with the web-compatibility grammar, plus
// lookbehind and named groups) into a PatternNode tree. A pattern that ECMAScript rejects is a
// Failure.
//
//   ParsedPattern parsed = parse_pattern(u"(?<year>\\d{4})-\\k<year>");
//   parsed.group_count;  // 1
#pragma once

#include <string_view>

#include "regexp/pattern_tree.hpp"

namespace kestrune::regexp_internal {

ParsedPattern parse_pattern(std::u16string_view source);

}  // namespace kestrune::regexp_internal
