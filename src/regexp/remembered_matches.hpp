// The matches a RegExp found last, with the pattern and text they belong to, so that the usual
// sequence Test, Execute, Replace on one text searches it once: Test finds the first match,
// Execute and Replace go on from there.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "regexp/compiled_pattern.hpp"
#include "regexp/match_loop.hpp"

namespace kestrune::regexp_internal {

class RememberedMatches {
 public:
  // The first match of `pattern` in `text` (or none), searching only when not remembered.
  const MatchList& first(const std::shared_ptr<const CompiledPattern>& pattern,
                         std::u16string_view text);
  // Every match, as the global-match loop finds them.
  const MatchList& all(const std::shared_ptr<const CompiledPattern>& pattern,
                       std::u16string_view text);

 private:
  bool holds(const std::shared_ptr<const CompiledPattern>& pattern, std::u16string_view text) const;
  // Forgets what was remembered and searches `text` from its start.
  void search_afresh(const std::shared_ptr<const CompiledPattern>& pattern,
                     std::u16string_view text, std::size_t limit);

  bool remembered_ = false;                         // the fields below hold a search
  std::shared_ptr<const CompiledPattern> pattern_;  // of the last search
  std::u16string text_;
  MatchList matches_{0};
  bool complete_ = false;  // matches_ holds every match, not just the first
};

}  // namespace kestrune::regexp_internal
