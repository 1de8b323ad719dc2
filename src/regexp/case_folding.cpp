#include "regexp/case_folding.hpp"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "base/case_mapping.hpp"

namespace kestrune::regexp_internal {
namespace {

constexpr char16_t kFirstNonAscii = 0x80;
constexpr std::uint32_t kUnitCount = 0x10000;

// The units that share their canonical form with at least one other unit, grouped by that form.
// Built once from the upper-case mapping, so the two can never disagree.
class CaseClasses {
 public:
  CaseClasses() {
    std::vector<Member> all;
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
      all.push_back({char16_t(unit), canonical_case(char16_t(unit)), 0, 0});
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Member& a, const Member& b) { return a.canonical < b.canonical; });
    for (std::size_t begin = 0; begin < all.size();) {
      std::size_t end = begin + 1;
      while (end < all.size() && all[end].canonical == all[begin].canonical) ++end;
      if (end - begin > 1) {
        const auto first = std::uint16_t(classes_.size());
        for (std::size_t i = begin; i < end; ++i) classes_.push_back(all[i].unit);
        for (std::size_t i = begin; i < end; ++i) {
          by_unit_.push_back(
              {all[i].unit, all[i].canonical, first, std::uint16_t(classes_.size())});
        }
      }
      begin = end;
    }
    std::sort(by_unit_.begin(), by_unit_.end(),
              [](const Member& a, const Member& b) { return a.unit < b.unit; });
  }

  // Calls `visit(unit, partners)` for each unit of `range` that shares its canonical form with
  // others; `partners` is that whole class, the unit included.
  template <class Visit>
  void for_each_cased(const UnitRange& range, Visit&& visit) const {
    auto member = std::lower_bound(by_unit_.begin(), by_unit_.end(), range.first,
                                   [](const Member& m, char16_t u) { return m.unit < u; });
    for (; member != by_unit_.end() && member->unit <= range.last; ++member) {
      visit(member->unit, std::span<const char16_t>(classes_.data() + member->class_begin,
                                                    member->class_end - member->class_begin));
    }
  }

 private:
  struct Member {
    char16_t unit;
    char16_t canonical;
    std::uint16_t class_begin;  // the unit's class in classes_
    std::uint16_t class_end;
  };
  std::vector<char16_t> classes_;  // the units of each class, one class after another
  std::vector<Member> by_unit_;    // every unit of a class, ordered by unit
};

const CaseClasses& case_classes() {
  static const CaseClasses classes;
  return classes;
}

}  // namespace

char16_t canonical_case(char16_t unit) {
  const char16_t upper = upper_case_unit(unit);
  if (unit >= kFirstNonAscii && upper < kFirstNonAscii) return unit;
  return upper;
}

CharSet close_under_case(const CharSet& set) {
  // The units missing from the set are those outside it with a partner inside. Going through
  // the cased units of whichever side covers fewer units costs little for a negated class or
  // "\W", which cover nearly everything.
  std::uint32_t covered = 0;
  for (const UnitRange& range : set.ranges()) covered += range.last - range.first + 1;
  const bool inside = covered <= kUnitCount / 2;
  std::vector<UnitRange> missing;
  const auto add = [&](char16_t unit) { missing.push_back({unit, unit}); };
  const CharSet outside = inside ? CharSet() : set.complement();
  for (const UnitRange& range : (inside ? set : outside).ranges()) {
    case_classes().for_each_cased(range, [&](char16_t unit, std::span<const char16_t> partners) {
      for (const char16_t partner : partners) {
        if (inside && !set.contains(partner)) add(partner);
        if (!inside && set.contains(partner)) return add(unit);
      }
    });
  }
  if (missing.empty()) return set;
  return set.united_with(CharSet::from_ranges(std::move(missing)));
}

}  // namespace kestrune::regexp_internal
