#include "regexp/identifier_chars.hpp"

#include <algorithm>
#include <iterator>

namespace kestrune::regexp_internal {
namespace {

struct CodePointRange {
  char32_t first;
  char32_t last;
};

#include "regexp/identifier_table.inc"

constexpr char32_t kZeroWidthNonJoiner = 0x200C;
constexpr char32_t kZeroWidthJoiner = 0x200D;

template <std::size_t N>
bool in_ranges(const CodePointRange (&ranges)[N], char32_t code_point) {
  const auto after =
      std::upper_bound(std::begin(ranges), std::end(ranges), code_point,
                       [](char32_t c, const CodePointRange& r) { return c < r.first; });
  return after != std::begin(ranges) && code_point <= (after - 1)->last;
}

}  // namespace

bool is_identifier_start(char32_t code_point) {
  return code_point == U'$' || code_point == U'_' || in_ranges(kIdentifierStartRanges, code_point);
}

bool is_identifier_part(char32_t code_point) {
  return code_point == U'$' || code_point == kZeroWidthNonJoiner ||
         code_point == kZeroWidthJoiner || in_ranges(kIdentifierPartRanges, code_point);
}

}  // namespace kestrune::regexp_internal
