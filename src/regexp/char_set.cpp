#include "regexp/char_set.hpp"

#include <algorithm>
#include <cstdint>

namespace kestrune::regexp_internal {
namespace {

constexpr char16_t kLastUnit = 0xFFFF;

// Sorts and merges ranges that overlap or touch.
std::vector<UnitRange> normalized(std::vector<UnitRange> ranges) {
  std::sort(ranges.begin(), ranges.end(),
            [](const UnitRange& a, const UnitRange& b) { return a.first < b.first; });
  std::vector<UnitRange> merged;
  for (const UnitRange& r : ranges) {
    if (!merged.empty() && std::uint32_t(r.first) <= std::uint32_t(merged.back().last) + 1) {
      merged.back().last = std::max(merged.back().last, r.last);
    } else {
      merged.push_back(r);
    }
  }
  return merged;
}

}  // namespace

CharSet& CharSet::operator=(const CharSet& other) {
  if (this != &other) {
    CharSet copy(other);
    *this = std::move(copy);
  }
  return *this;
}

CharSet& CharSet::operator=(CharSet&& other) noexcept {
  if (this != &other) {
    release();
    take(other);
  }
  return *this;
}

void CharSet::assign(std::span<const UnitRange> ranges) {
  count_ = std::uint32_t(ranges.size());
  if (count_ > kInPlace) on_heap_ = new UnitRange[count_];
  std::copy(ranges.begin(), ranges.end(), data());
}

void CharSet::take(CharSet& other) {
  count_ = other.count_;
  if (count_ > kInPlace) {
    on_heap_ = other.on_heap_;
  } else {
    in_place_ = other.in_place_;
  }
  other.count_ = 0;
}

void CharSet::release() {
  if (count_ > kInPlace) delete[] on_heap_;
  count_ = 0;
}

CharSet CharSet::range(char16_t first, char16_t last) {
  const UnitRange only{first, last};
  return CharSet(std::span<const UnitRange>(&only, 1));
}

CharSet CharSet::from_ranges(std::vector<UnitRange> ranges) {
  return CharSet(normalized(std::move(ranges)));
}

CharSet CharSet::united_with(const CharSet& other) const {
  std::vector<UnitRange> both(ranges().begin(), ranges().end());
  both.insert(both.end(), other.ranges().begin(), other.ranges().end());
  return from_ranges(std::move(both));
}

CharSet CharSet::intersected_with(const CharSet& other) const {
  std::vector<UnitRange> common;
  const std::span<const UnitRange> mine = ranges(), theirs = other.ranges();
  auto a = mine.begin();
  auto b = theirs.begin();
  while (a != mine.end() && b != theirs.end()) {
    const char16_t first = std::max(a->first, b->first);
    const char16_t last = std::min(a->last, b->last);
    if (first <= last) common.push_back({first, last});
    if (a->last < b->last) {
      ++a;
    } else {
      ++b;
    }
  }
  return CharSet(std::move(common));
}

CharSet CharSet::complement() const {
  std::vector<UnitRange> gaps;
  std::uint32_t next = 0;
  for (const UnitRange& r : ranges()) {
    if (r.first > next) gaps.push_back({char16_t(next), char16_t(r.first - 1)});
    next = std::uint32_t(r.last) + 1;
  }
  if (next <= kLastUnit) gaps.push_back({char16_t(next), kLastUnit});
  return CharSet(std::move(gaps));
}

bool CharSet::contains(char16_t unit) const {
  const std::span<const UnitRange> mine = ranges();
  const auto after = std::upper_bound(mine.begin(), mine.end(), unit,
                                      [](char16_t u, const UnitRange& r) { return u < r.first; });
  return after != mine.begin() && unit <= (after - 1)->last;
}

bool CharSet::intersects(const CharSet& other) const {
  const std::span<const UnitRange> mine = ranges(), theirs = other.ranges();
  auto a = mine.begin();
  auto b = theirs.begin();
  while (a != mine.end() && b != theirs.end()) {
    if (a->last < b->first) {
      ++a;
    } else if (b->last < a->first) {
      ++b;
    } else {
      return true;
    }
  }
  return false;
}

bool CharSet::is_everything() const {
  return count_ == 1 && data()->first == 0 && data()->last == kLastUnit;
}

std::optional<char16_t> CharSet::single_unit() const {
  if (count_ == 1 && data()->first == data()->last) return data()->first;
  return std::nullopt;
}

CharSet decimal_digits() { return CharSet::range(u'0', u'9'); }

CharSet word_characters() {
  return CharSet::from_ranges({{u'0', u'9'}, {u'A', u'Z'}, {u'_', u'_'}, {u'a', u'z'}});
}

// WhiteSpace (with every Zs space) and LineTerminator.
CharSet white_space_and_line_terminators() {
  return CharSet::from_ranges({{0x0009, 0x000D},
                               {0x0020, 0x0020},
                               {0x00A0, 0x00A0},
                               {0x1680, 0x1680},
                               {0x2000, 0x200A},
                               {0x2028, 0x2029},
                               {0x202F, 0x202F},
                               {0x205F, 0x205F},
                               {0x3000, 0x3000},
                               {0xFEFF, 0xFEFF}});
}

CharSet line_terminators() {
  return CharSet::from_ranges({{u'\n', u'\n'}, {u'\r', u'\r'}, {0x2028, 0x2029}});
}

}  // namespace kestrune::regexp_internal
