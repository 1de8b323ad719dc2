#include "regexp/match_loop.hpp"

#include <algorithm>
#include <array>

#include "base/failure.hpp"

namespace kestrune::regexp_internal {

void MatchList::add(std::size_t start, std::size_t end) {
  if (spans_.size() == kMaxKeptMatches)
    fail(FailureKind::out_of_budget, "too many matches to keep");
  spans_.push_back({start, end});
}

void collect_matches(const CompiledPattern& pattern, std::u16string_view text, std::size_t from,
                     StepBudget& budget, MatchList& matches) {
  std::array<std::size_t, 2> whole_match;
  for_each_match(pattern, text, from, budget, whole_match, [&] {
    matches.add(whole_match[0], whole_match[1]);
    return true;
  });
}

std::size_t count_matches(const CompiledPattern& pattern, std::u16string_view text,
                          std::size_t from, StepBudget& budget) {
  std::array<std::size_t, 2> whole_match;
  std::size_t count = 0;
  for_each_match(pattern, text, from, budget, whole_match, [&] {
    ++count;
    return true;
  });
  return count;
}

}  // namespace kestrune::regexp_internal
