#include "regexp/remembered_matches.hpp"

#include "base/same_text.hpp"

namespace kestrune::regexp_internal {
namespace {

// Room for this many matches is taken at once, as most texts have no more.
constexpr std::size_t kExpectedMatches = 8;
// Longer texts are not remembered: copying one on every call would cost more than searching it
// again, which only a text searched twice in a row needs (a replacement tests for a match
// first).
constexpr std::size_t kLongestRememberedText = 256;

}  // namespace

const MatchList& RememberedMatches::first(const std::shared_ptr<const CompiledPattern>& pattern,
                                          std::u16string_view text, StepBudget& budget) {
  if (!holds(pattern, text)) search_afresh(pattern, text, budget);
  return matches_;
}

const MatchList& RememberedMatches::all(const std::shared_ptr<const CompiledPattern>& pattern,
                                        std::u16string_view text, StepBudget& budget) {
  if (!holds(pattern, text)) search_afresh(pattern, text, budget);
  if (!complete_) {
    // The first match is known: go on after it, and stay as before if the search fails.
    try {
      collect_matches(*pattern, text, after_first(), budget, matches_);
    } catch (...) {
      matches_.truncate(1);
      throw;
    }
    complete_ = true;
  }
  return matches_;
}

std::size_t RememberedMatches::count(const std::shared_ptr<const CompiledPattern>& pattern,
                                     std::u16string_view text, StepBudget& budget) {
  if (!holds(pattern, text)) search_afresh(pattern, text, budget);
  if (complete_) return matches_.size();
  return 1 + count_matches(*pattern, text, after_first(), budget);
}

bool RememberedMatches::holds(const std::shared_ptr<const CompiledPattern>& pattern,
                              std::u16string_view text) const {
  return remembered_ && pattern_ == pattern && same_text(text_, text);
}

void RememberedMatches::search_afresh(const std::shared_ptr<const CompiledPattern>& pattern,
                                      std::u16string_view text, StepBudget& budget) {
  remembered_ = false;
  matches_.clear();
  matches_.reserve(kExpectedMatches);
  first_groups_.reset(2 * (std::size_t(pattern->group_count()) + 1));
  if (pattern->find(text, 0, budget, first_groups_.spans())) {
    matches_.add(first_groups_.data()[0], first_groups_.data()[1]);
  }
  // A column of searches uses one pattern: keeping it spares two atomic count updates.
  if (pattern_ != pattern) pattern_ = pattern;
  complete_ = matches_.empty();
  if (text.size() <= kLongestRememberedText) {
    text_.assign(text);
    remembered_ = true;
  }
}

}  // namespace kestrune::regexp_internal
