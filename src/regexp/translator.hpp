// Translates an ECMAScript pattern into PCRE2 source that means the same under the compile
// options CompiledPattern uses, with the budget sites in place.
//
// What the translation takes care of, beyond PCRE2's own reading of the syntax:
//   - every class, escape and "." is written as explicit ranges, so "." excludes exactly
//     \n \r U+2028 U+2029, \s is ECMAScript's set, [] matches nothing and [^] anything;
//   - with IgnoreCase, every set is closed under ECMAScript's canonical case (case_folding.hpp)
//     instead of using PCRE2's caseless mode;
//   - ^ and $ become \A and \z; a "{" that is not a whole quantifier is a literal;
//   - back-references are written as (?:\g{n}), which keeps PCRE2 10.42's JIT from failing on a
//     repeated reference to an unset group; case-insensitive ones as (?i:\g{n}) under UCP;
//   - a pass of a repeated group beyond its minimum fails when it matches nothing (PCRE2 takes
//     it and stops repeating), through hidden groups that mark where passes start;
//   - look-aheads are wrapped in a group when quantified;
//   - quantifier bounds above PCRE2's 65,535 are clamped (a larger maximum is unbounded).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regexp/budget.hpp"
#include "regexp/pattern_tree.hpp"

namespace kestrune::regexp_internal {

struct Translation {
  std::u16string pcre_source;
  std::uint32_t group_count = 0;  // ECMAScript's
  GroupNames group_names;
  // PCRE2 counts the groups the translation adds as well: its number for each ECMAScript group
  // (index 0, the whole match, is 0), and its count.
  std::vector<std::uint32_t> group_numbers;
  std::uint32_t engine_group_count = 0;
  // Case-insensitive back-references need PCRE2's Unicode case folding (UCP), under which
  // PCRE2 10.42's JIT does not fold non-ASCII text: such patterns run on the interpreter.
  bool needs_unicode_case = false;
  BudgetSites sites;
  std::uint32_t scan_cost = 1;  // steps per unit that a repeat scans
};

// The longest pattern translated (294,912 units): longer ones are refused before anything is
// built from them, since the parse and the translation keep a hundred bytes or more for each
// unit. It leaves room for the longest pattern krSEARCH builds, a cell-sized find text and two
// cell-sized contexts of wildcards ("*" is three units, ".*?").
constexpr std::size_t kMaxPatternLength = 9 * 32768;

// A pattern that ECMAScript rejects is a Failure, and so is one longer than kMaxPatternLength or
// whose translation PCRE2 would not compile in a fraction of a second.
Translation translate_pattern(std::u16string_view source, bool ignore_case);

}  // namespace kestrune::regexp_internal
