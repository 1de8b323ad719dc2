// The parsed form of an ECMAScript pattern: what the parser produces and the translator writes
// out for PCRE2.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "regexp/char_set.hpp"

namespace kestrune::regexp_internal {

// A quantifier's bounds. Large bounds are kept as read (saturated at 2^31 - 1, as Node reads
// them); the translator decides what the engine can take.
struct Repetition {
  static constexpr std::uint32_t kUnbounded = 0x7FFFFFFF;
  std::uint32_t min = 1;
  std::uint32_t max = 1;
  bool greedy = true;
};

struct PatternNode {
  enum class Kind : std::uint8_t {
    kSequence,         // children, one after another
    kAlternatives,     // children, tried left to right
    kCharacters,       // one unit of `characters` (or of its complement when `negated`)
    kInputStart,       // ^
    kInputEnd,         // $
    kWordBoundary,     // \b
    kNotWordBoundary,  // \B
    kGroup,            // children[0]; captures as `group` unless that is 0
    kLookaround,       // children[0]; `ahead` or behind, `negated` or not
    kBackReference,    // the text captured by `group`
    kRepeat,           // children[0] repeated as `repetition` says
  };

  Kind kind = Kind::kSequence;
  CharSet characters;
  bool negated = false;
  bool ahead = true;
  std::uint32_t group = 0;
  Repetition repetition;
  std::vector<PatternNode> children;
};

using GroupNames = std::vector<std::pair<std::u16string, std::uint32_t>>;

struct ParsedPattern {
  PatternNode root;
  std::uint32_t group_count = 0;
  GroupNames group_names;  // in the order the groups open
  bool has_back_references = false;
};

}  // namespace kestrune::regexp_internal
