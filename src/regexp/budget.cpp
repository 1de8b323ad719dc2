#include "regexp/budget.hpp"

#include <algorithm>

namespace kestrune::regexp_internal {

std::uint32_t BudgetSites::next_callout_number() const {
  return std::min<std::uint32_t>(std::uint32_t(sites_.size()) + 1, kSharedCalloutNumber);
}

const BudgetSite& BudgetSites::find(std::uint32_t callout_number,
                                    std::size_t pattern_position) const {
  if (callout_number < kSharedCalloutNumber) return sites_[callout_number - 1];
  const auto shared = sites_.begin() + (kSharedCalloutNumber - 1);
  const auto site = std::lower_bound(
      shared, sites_.end(), pattern_position,
      [](const BudgetSite& s, std::size_t position) { return s.pattern_position < position; });
  return site != sites_.end() ? *site : sites_.back();
}

void BudgetSites::renumber_back_references(const std::vector<std::uint32_t>& numbers) {
  for (BudgetSite& site : sites_) {
    if (site.back_reference != 0) site.back_reference = numbers[site.back_reference];
  }
}

bool StepBudget::spend(std::uint64_t half_steps) {
  if (half_steps > remaining_) return false;
  remaining_ -= half_steps;
  return true;
}

bool StepCounter::pass(const BudgetSite& site, std::size_t start, std::size_t position,
                       std::size_t compared_length) {
  if (start != attempt_start_) {
    attempt_start_ = start;
    last_position_ = start;
  }
  if (site.after_lookaround) last_position_ = position;
  const std::size_t moved =
      position > last_position_ ? position - last_position_ : last_position_ - position;
  last_position_ = position;
  return budget_.spend(weights_.step * (std::uint64_t(site.static_steps) + compared_length) +
                       weights_.unit_moved * std::uint64_t(moved) * scan_cost_);
}

}  // namespace kestrune::regexp_internal
