// The global-match loop of ECMAScript (String.prototype.replace and matchAll with the "g" flag):
// each search starts where the last match ended, or one unit further after an empty match, so
// matches never overlap and an empty match is not found twice.
//
//   MatchList matches(pattern.group_count());
//   collect_matches(pattern, u"a1b22", 0, SIZE_MAX, budget, matches);  // "1" and "22" for \d+
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "regexp/budget.hpp"

namespace kestrune::regexp_internal {
class CompiledPattern;
}

namespace kestrune::regexp_internal {

constexpr std::size_t kUnset = SIZE_MAX;
// The most group spans one call keeps (32 MiB): more is a budget Failure, like too many steps.
constexpr std::size_t kMaxKeptSpans = std::size_t(4) << 20;

// The group spans of successive matches, stored flat.
class MatchList {
 public:
  explicit MatchList(std::uint32_t group_count) : spans_per_match_(2 * (group_count + 1)) {}

  std::size_t size() const { return spans_.size() / spans_per_match_; }
  bool empty() const { return spans_.empty(); }
  std::size_t spans_per_match() const { return spans_per_match_; }
  // Group spans of match `i`: start and end of group 0 (the whole match), 1, 2 ...; kUnset for
  // a group that took no part.
  const std::size_t* spans(std::size_t i) const { return spans_.data() + i * spans_per_match_; }
  std::size_t start(std::size_t i) const { return spans(i)[0]; }
  std::size_t end(std::size_t i) const { return spans(i)[1]; }

  // Room for one more match, to be filled by the caller.
  std::size_t* add_match();
  void truncate(std::size_t matches) { spans_.resize(matches * spans_per_match_); }
  void reserve(std::size_t matches) { spans_.reserve(matches * spans_per_match_); }
  void clear(std::uint32_t group_count) {
    spans_.clear();
    spans_per_match_ = 2 * (std::size_t(group_count) + 1);
  }

 private:
  std::size_t spans_per_match_;
  std::vector<std::size_t> spans_;
};

// Where the search after a match from `start` to `end` begins.
inline std::size_t next_search_start(std::size_t start, std::size_t end) {
  return end == start ? end + 1 : end;
}

// Appends the matches found from `from` on until `matches` holds `limit` of them or the text
// has no more.
void collect_matches(const CompiledPattern& pattern, std::u16string_view text, std::size_t from,
                     std::size_t limit, StepBudget& budget, MatchList& matches);

}  // namespace kestrune::regexp_internal
