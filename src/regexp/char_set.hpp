// CharSet: a set of 16-bit units kept as ordered, disjoint, non-adjacent ranges.
//
// The translator builds every class, escape and literal of a pattern as a CharSet, applies case
// to it there, and writes it out as explicit ranges, so that no engine setting decides what a
// class holds.
//
//   CharSet digits = CharSet::range(u'0', u'9');
//   CharSet others = digits.complement();
#pragma once

#include <optional>
#include <vector>

namespace kestrune::regexp_internal {

struct UnitRange {
  char16_t first;
  char16_t last;
};

class CharSet {
 public:
  CharSet() = default;
  static CharSet of(char16_t unit) { return range(unit, unit); }
  static CharSet range(char16_t first, char16_t last);
  static CharSet everything() { return range(0, 0xFFFF); }
  // Any ranges, in any order, overlapping or not.
  static CharSet from_ranges(std::vector<UnitRange> ranges);

  CharSet united_with(const CharSet& other) const;
  CharSet intersected_with(const CharSet& other) const;
  CharSet complement() const;

  bool contains(char16_t unit) const;
  bool intersects(const CharSet& other) const;
  bool empty() const { return ranges_.empty(); }
  bool is_everything() const;
  std::optional<char16_t> single_unit() const;
  const std::vector<UnitRange>& ranges() const { return ranges_; }

 private:
  explicit CharSet(std::vector<UnitRange> normalized) : ranges_(std::move(normalized)) {}
  std::vector<UnitRange> ranges_;
};

// The sets ECMAScript names with escapes, in non-unicode mode.
CharSet decimal_digits();
CharSet word_characters();
CharSet white_space_and_line_terminators();
CharSet line_terminators();

}  // namespace kestrune::regexp_internal
