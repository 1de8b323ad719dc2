#include "regexp/remembered_matches.hpp"

#include <cstdint>

#include "base/same_text.hpp"

namespace kestrune::regexp_internal {
namespace {

// Room for this many matches is taken at once, as most texts have no more.
constexpr std::size_t kExpectedMatches = 8;

}  // namespace

const MatchList& RememberedMatches::first(const std::shared_ptr<const CompiledPattern>& pattern,
                                          std::u16string_view text) {
  if (!holds(pattern, text)) search_afresh(pattern, text, 1);
  return matches_;
}

const MatchList& RememberedMatches::all(const std::shared_ptr<const CompiledPattern>& pattern,
                                        std::u16string_view text) {
  if (!holds(pattern, text)) {
    search_afresh(pattern, text, SIZE_MAX);
  } else if (!complete_) {
    // The first match is known: go on after it, and stay as before if the search fails.
    StepBudget budget;
    try {
      collect_matches(*pattern, text, next_search_start(matches_.start(0), matches_.end(0)),
                      SIZE_MAX, budget, matches_);
    } catch (...) {
      matches_.truncate(1);
      throw;
    }
    complete_ = true;
  }
  return matches_;
}

bool RememberedMatches::holds(const std::shared_ptr<const CompiledPattern>& pattern,
                              std::u16string_view text) const {
  return remembered_ && pattern_ == pattern && same_text(text_, text);
}

void RememberedMatches::search_afresh(const std::shared_ptr<const CompiledPattern>& pattern,
                                      std::u16string_view text, std::size_t limit) {
  remembered_ = false;
  matches_.clear(pattern->group_count());
  matches_.reserve(kExpectedMatches);
  StepBudget budget;
  collect_matches(*pattern, text, 0, limit, budget, matches_);
  text_.assign(text);
  // A column of searches uses one pattern: keeping it spares two atomic count updates.
  if (pattern_ != pattern) pattern_ = pattern;
  remembered_ = true;
  complete_ = limit == SIZE_MAX || matches_.empty();
}

}  // namespace kestrune::regexp_internal
