#include "regexp/match_loop.hpp"

#include "base/failure.hpp"
#include "regexp/compiled_pattern.hpp"

namespace kestrune::regexp_internal {

std::size_t* MatchList::add_match() {
  if (spans_.size() + spans_per_match_ > kMaxKeptSpans) {
    fail("regular expression exceeded its matching budget");
  }
  spans_.resize(spans_.size() + spans_per_match_);
  return spans_.data() + spans_.size() - spans_per_match_;
}

void collect_matches(const CompiledPattern& pattern, std::u16string_view text, std::size_t from,
                     std::size_t limit, StepBudget& budget, MatchList& matches) {
  for (std::size_t at = from; matches.size() < limit && at <= text.size();) {
    if (!pattern.find(text, at, budget, matches)) break;
    at = next_search_start(matches.start(matches.size() - 1), matches.end(matches.size() - 1));
  }
}

}  // namespace kestrune::regexp_internal
