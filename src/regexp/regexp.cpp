#include "regexp/regexp.hpp"

#include <algorithm>
#include <array>

#include "base/same_text.hpp"
#include "regexp/compiled_pattern.hpp"
#include "regexp/pattern_cache.hpp"
#include "regexp/remembered_matches.hpp"
#include "regexp/replacement.hpp"

namespace kestrune {

using regexp_internal::MatchList;
using regexp_internal::StepBudget;

RegExp::RegExp() : remembered_(std::make_unique<regexp_internal::RememberedMatches>()) {}

RegExp::~RegExp() = default;

const regexp_internal::CompiledPattern& RegExp::compiled() {
  if (!compiled_ || compiled_->ignore_case() != IgnoreCase ||
      !same_text(compiled_->source(), Pattern)) {
    compiled_ = regexp_internal::compiled_pattern_for(Pattern, IgnoreCase);
  }
  return *compiled_;
}

bool RegExp::Test(std::u16string_view text) {
  compiled();
  StepBudget budget;
  return !remembered_->first(compiled_, text, budget).empty();
}

MatchCollection RegExp::Execute(std::u16string_view text) {
  compiled();
  StepBudget budget;
  const MatchList& found = Global ? remembered_->all(compiled_, text, budget)
                                  : remembered_->first(compiled_, text, budget);
  const std::size_t count = Global ? found.size() : std::min<std::size_t>(found.size(), 1);
  MatchCollection collection;
  collection.matches_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t length = found.end(i) - found.start(i);
    collection.matches_.push_back({found.start(i), length, text.substr(found.start(i), length)});
  }
  return collection;
}

std::size_t RegExp::CountMatches(std::u16string_view text) {
  compiled();
  StepBudget budget;
  if (Global) return remembered_->count(compiled_, text, budget);
  return std::min<std::size_t>(remembered_->first(compiled_, text, budget).size(), 1);
}

std::u16string RegExp::Replace(std::u16string_view text, std::u16string_view replacement) {
  const regexp_internal::CompiledPattern& pattern = compiled();
  StepBudget budget;
  if (remembered_->first(compiled_, text, budget).empty()) return std::u16string(text);
  const regexp_internal::ReplacementTemplate expansion(replacement, pattern.group_count(),
                                                       pattern.group_names());
  regexp_internal::ReplacedText out(text, expansion);
  const std::size_t* first = remembered_->first_groups();
  out.add_match(first);
  if (Global) {
    // Each match is expanded as it is found: only the last one's groups are kept.
    regexp_internal::GroupSpans& later = remembered_->later_groups();
    later.reset(expansion.spans_needed());
    regexp_internal::for_each_match(pattern, text,
                                    regexp_internal::next_search_start(first[0], first[1]), budget,
                                    later.spans(), [&] {
                                      out.add_match(later.data());
                                      return true;
                                    });
  }
  return out.finish();
}

bool MatchWalk::Next(Match& match) {
  std::array<std::size_t, 2> span;
  if (from_ > text_.size() || !pattern_.find(text_, from_, budget_, span)) return false;
  match = {span[0], span[1] - span[0], text_.substr(span[0], span[1] - span[0])};
  from_ = regexp_internal::next_search_start(span[0], span[1]);
  return true;
}

}  // namespace kestrune
