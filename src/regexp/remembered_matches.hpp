// The matches a RegExp found last, with the pattern and text they belong to, so that the usual
// sequence Test, Execute, Replace on one short text searches it once: Test finds the first match
// (with its groups), Execute and Replace go on from there. A long text is searched afresh.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "regexp/compiled_pattern.hpp"
#include "regexp/match_loop.hpp"

namespace kestrune::regexp_internal {

class RememberedMatches {
 public:
  // Provided, so that making one does not clear the room of its group spans first.
  RememberedMatches() {}

  // The first match of `pattern` in `text` (or none), searching only when not remembered.
  const MatchList& first(const std::shared_ptr<const CompiledPattern>& pattern,
                         std::u16string_view text, StepBudget& budget);
  // Every match, as the global-match loop finds them.
  const MatchList& all(const std::shared_ptr<const CompiledPattern>& pattern,
                       std::u16string_view text, StepBudget& budget);
  // The number of matches; those not remembered are counted, not kept.
  std::size_t count(const std::shared_ptr<const CompiledPattern>& pattern, std::u16string_view text,
                    StepBudget& budget);
  // The spans of every group of the first match found by the last call (CompiledPattern::find),
  // which found one.
  const std::size_t* first_groups() const { return first_groups_.data(); }
  // Room for the group spans of the matches that follow the first, for Replace.
  GroupSpans& later_groups() { return later_groups_; }

 private:
  bool holds(const std::shared_ptr<const CompiledPattern>& pattern, std::u16string_view text) const;
  // Forgets what was remembered and finds the first match of `text`.
  void search_afresh(const std::shared_ptr<const CompiledPattern>& pattern,
                     std::u16string_view text, StepBudget& budget);
  std::size_t after_first() const { return next_search_start(matches_.start(0), matches_.end(0)); }

  bool remembered_ = false;                         // the fields below hold a search
  std::shared_ptr<const CompiledPattern> pattern_;  // of the last search
  std::u16string text_;
  GroupSpans first_groups_;
  GroupSpans later_groups_;
  MatchList matches_;
  bool complete_ = false;  // matches_ holds every match, not just the first
};

}  // namespace kestrune::regexp_internal
