// CharSet: a set of 16-bit units kept as ordered, disjoint, non-adjacent ranges.
//
// The translator builds every class, escape and literal of a pattern as a CharSet, applies case
// to it there, and writes it out as explicit ranges, so that no engine setting decides what a
// class holds.
//
//   CharSet digits = CharSet::range(u'0', u'9');
//   CharSet others = digits.complement();
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrune::regexp_internal {

struct UnitRange {
  char16_t first;
  char16_t last;
};

class CharSet {
 public:
  CharSet() = default;
  CharSet(const CharSet& other) { assign(other.ranges()); }
  CharSet(CharSet&& other) noexcept { take(other); }
  CharSet& operator=(const CharSet& other);
  CharSet& operator=(CharSet&& other) noexcept;
  ~CharSet() { release(); }

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
  bool empty() const { return count_ == 0; }
  bool is_everything() const;
  std::optional<char16_t> single_unit() const;
  std::span<const UnitRange> ranges() const { return {data(), count_}; }

 private:
  // A pattern holds a set for each of its units: those of a few ranges (a unit, \d, \w, ".")
  // are kept in place, without an allocation of their own.
  static constexpr std::uint32_t kInPlace = 4;

  explicit CharSet(std::span<const UnitRange> normalized) { assign(normalized); }
  const UnitRange* data() const { return count_ <= kInPlace ? in_place_.data() : on_heap_; }
  UnitRange* data() { return count_ <= kInPlace ? in_place_.data() : on_heap_; }
  // These three expect an empty set: no ranges, nothing on the heap.
  void assign(std::span<const UnitRange> ranges);
  void take(CharSet& other);
  void release();

  std::uint32_t count_ = 0;
  union {
    std::array<UnitRange, kInPlace> in_place_;
    UnitRange* on_heap_;
  };
};

// The sets ECMAScript names with escapes, in non-unicode mode.
CharSet decimal_digits();
CharSet word_characters();
CharSet white_space_and_line_terminators();
CharSet line_terminators();

}  // namespace kestrune::regexp_internal
