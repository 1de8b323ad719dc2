// Reads an ECMAScript pattern (non-unicode mode, with the web-compatibility grammar, plus
// lookbehind and named groups) into a PatternNode tree. A pattern that ECMAScript rejects is a
// Failure.
//
//   ParsedPattern parsed = parse_pattern(u"(?<year>\\d{4})-\\k<year>");
//   parsed.group_count;  // 1
#pragma once

#include <string_view>

#include "automation/regexp/pattern_tree.hpp"

namespace kestrune::regexp_internal {

// Groups and lookarounds nested deeper than this are a Failure rather than a risk to the stack:
// the parser and the translator recurse once a level, about 1.1 KiB a level in the worst shape
// (alternatives in repeated groups, built for Windows), and a Windows caller's thread may have
// only 1 MiB, of which the host keeps about half for its own frames.
constexpr int kMaxGroupNesting = 450;

ParsedPattern parse_pattern(std::u16string_view source);

}  // namespace kestrune::regexp_internal
