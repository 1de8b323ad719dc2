// The global-match loop of ECMAScript (String.prototype.replace and matchAll with the "g" flag):
// each search starts where the last match ended, or one unit further after an empty match, so
// matches never overlap and an empty match is not found twice.
//
//   StepBudget budget;
//   MatchList matches;
//   collect_matches(pattern, u"a1b22", 0, budget, matches);  // "1" and "22" for \d+
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "regexp/budget.hpp"
#include "regexp/compiled_pattern.hpp"

namespace kestrune::regexp_internal {

// The most matches one call keeps (32 MiB of spans; a cell has at most 32,768): more is a budget
// Failure, like too many steps.
constexpr std::size_t kMaxKeptMatches = std::size_t(1) << 21;

// Where successive matches start and end. Their groups are not kept: a match's groups are read
// while it is the one found last (for_each_match).
class MatchList {
 public:
  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }
  std::size_t start(std::size_t i) const { return spans_[i].start; }
  std::size_t end(std::size_t i) const { return spans_[i].end; }

  void add(std::size_t start, std::size_t end);
  void truncate(std::size_t matches) { spans_.resize(matches); }
  void reserve(std::size_t matches) { spans_.reserve(matches); }
  void clear() { spans_.clear(); }

 private:
  struct Span {
    std::size_t start;
    std::size_t end;
  };
  std::vector<Span> spans_;
};

// Room for the group spans of one match (CompiledPattern::find), in place for a pattern of a
// few groups, as most are: a call then takes no memory for them.
class GroupSpans {
 public:
  // Room for `count` spans, each kUnset.
  void reset(std::size_t count) {
    count_ = count;
    if (count > kInPlace) on_heap_.resize(count);
    std::fill_n(data(), count, kUnset);
  }
  std::span<std::size_t> spans() { return {data(), count_}; }
  const std::size_t* data() const {
    return count_ <= kInPlace ? in_place_.data() : on_heap_.data();
  }
  std::size_t* data() { return count_ <= kInPlace ? in_place_.data() : on_heap_.data(); }

 private:
  static constexpr std::size_t kInPlace = 16;
  std::array<std::size_t, kInPlace> in_place_;
  std::vector<std::size_t> on_heap_;
  std::size_t count_ = 0;
};

// Where the search after a match from `start` to `end` begins.
inline std::size_t next_search_start(std::size_t start, std::size_t end) {
  return end == start ? end + 1 : end;
}

// A reference to what a loop over many matches calls for each one.
class OnEachMatch {
 public:
  template <class OnMatch>
  explicit OnEachMatch(OnMatch& on_match)
      : on_match_(&on_match), call_([](void* f) { return (*static_cast<OnMatch*>(f))(); }) {}
  bool operator()() const { return call_(on_match_); }

 private:
  void* on_match_;
  bool (*call_)(void*);
};

// Where a search that is over would start: past any text.
constexpr std::size_t kAllSearched = SIZE_MAX;

// The matches from `from` on of a pattern with plain JIT code, each one's start and end written
// into whole_match[0] and [1] before on_match is called, until it answers false. The thread's
// match memory is looked up once for all of them. Answers kAllSearched, or where the JIT could
// not go on alone (out of stack, or an error): find() searches from there again and settles it.
std::size_t for_each_match_on_jit(const CompiledPattern& pattern, std::u16string_view text,
                                  std::size_t from, std::size_t* whole_match, OnEachMatch on_match);

// Finds the matches from `from` on, one after another: each one's group spans are written into
// `spans` (as CompiledPattern::find writes them) and `on_match()` is called, until it returns
// false or the text has no more.
template <class OnMatch>
void for_each_match(const CompiledPattern& pattern, std::u16string_view text, std::size_t from,
                    StepBudget& budget, std::span<std::size_t> spans, OnMatch&& on_match) {
  if (spans.size() == 2 && pattern.plain_jit_code()) {
    from = for_each_match_on_jit(pattern, text, from, spans.data(), OnEachMatch(on_match));
  }
  for (std::size_t at = from; at <= text.size(); at = next_search_start(spans[0], spans[1])) {
    if (!pattern.find(text, at, budget, spans) || !on_match()) return;
  }
}

// Appends where every match from `from` on starts and ends.
void collect_matches(const CompiledPattern& pattern, std::u16string_view text, std::size_t from,
                     StepBudget& budget, MatchList& matches);

// The number of matches from `from` on; none of them is kept.
std::size_t count_matches(const CompiledPattern& pattern, std::u16string_view text,
                          std::size_t from, StepBudget& budget);

}  // namespace kestrune::regexp_internal
