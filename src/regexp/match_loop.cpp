#include "regexp/match_loop.hpp"

#include <algorithm>
#include <array>

#include "base/failure.hpp"
#include "regexp/match_resources.hpp"

namespace kestrune::regexp_internal {

void MatchList::add(std::size_t start, std::size_t end) {
  if (spans_.size() == kMaxKeptMatches)
    fail(FailureKind::out_of_budget, "too many matches to keep");
  spans_.push_back({start, end});
}

std::size_t for_each_match_on_jit(const CompiledPattern& pattern, std::u16string_view text,
                                  std::size_t from, std::size_t* whole_match,
                                  OnEachMatch on_match) {
  MatchResources& resources = MatchResources::for_this_thread();
  pcre2_match_data* data = resources.data(pattern.engine_pairs());
  resources.set_callout(nullptr, nullptr);
  const PCRE2_SIZE* ovector = nullptr;  // looked up at the first match: most texts have none
  const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  for (std::size_t at = from; at <= text.size();
       at = next_search_start(whole_match[0], whole_match[1])) {
    const int rc = pcre2_jit_match(pattern.plain_jit_code(), subject, text.size(), at, 0, data,
                                   resources.context());
    if (rc == PCRE2_ERROR_NOMATCH) return kAllSearched;
    if (rc < 0) return at;
    if (!ovector) ovector = pcre2_get_ovector_pointer(data);
    whole_match[0] = ovector[0];
    whole_match[1] = ovector[1];
    if (!on_match()) return kAllSearched;
  }
  return kAllSearched;
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
