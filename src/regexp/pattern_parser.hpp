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

// Groups and lookarounds nested deeper than this are a Failure rather than a risk to the stack:
// the parser and the translator recurse once a level (the translator's frames grew with its
// cost accounting: 400 levels overran half of a 1 MiB stack, 350 did not), and a Windows
// caller's thread may have only 1 MiB, of which the host keeps about half for its own frames.
constexpr int kMaxGroupNesting = 300;

ParsedPattern parse_pattern(std::u16string_view source);

}  // namespace kestrune::regexp_internal
