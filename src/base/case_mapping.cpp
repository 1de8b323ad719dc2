#include "base/case_mapping.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace kestrune {
namespace {

// Every `stride`-th unit from `first` to `last` upper-cases to itself plus `delta`.
struct UpperCaseRange {
  char16_t first;
  char16_t last;
  std::uint8_t stride;
  std::int32_t delta;
};

constexpr UpperCaseRange kUpperCaseRanges[] = {
#include "base/case_mapping_table.inc"
};

// The lookup below relies on the ranges being in order and apart.
static_assert(std::adjacent_find(std::begin(kUpperCaseRanges), std::end(kUpperCaseRanges),
                                 [](const UpperCaseRange& a, const UpperCaseRange& b) {
                                   return a.last >= b.first;
                                 }) == std::end(kUpperCaseRanges));

}  // namespace

char16_t upper_case_unit(char16_t unit) {
  if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? char16_t(unit - 32) : unit;
  // The last range that starts at or before `unit`.
  const auto after =
      std::upper_bound(std::begin(kUpperCaseRanges), std::end(kUpperCaseRanges), unit,
                       [](char16_t u, const UpperCaseRange& range) { return u < range.first; });
  if (after == std::begin(kUpperCaseRanges)) return unit;
  const UpperCaseRange& range = *(after - 1);
  if (unit > range.last || (unit - range.first) % range.stride != 0) return unit;
  return char16_t(unit + range.delta);
}

std::u16string upper_case(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& unit : upper) unit = upper_case_unit(unit);
  return upper;
}

}  // namespace kestrune
