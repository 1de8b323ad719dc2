#include "regexp/regexp.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "base/same_text.hpp"
#include "regexp/compiled_pattern.hpp"
#include "regexp/match_loop.hpp"
#include "regexp/pattern_cache.hpp"
#include "regexp/replacement.hpp"

namespace kestrune {
namespace {

// The match from `start` to `end` in `text`.
Match match_of(std::u16string_view text, std::size_t start, std::size_t end) {
  return {start, end - start, text.substr(start, end - start)};
}

}  // namespace

using regexp_internal::GroupSpans;
using regexp_internal::StepBudget;

RegExp::RegExp() = default;

RegExp::~RegExp() = default;

const regexp_internal::CompiledPattern& RegExp::compiled_for_this_search() {
  if (!compiled_ || compiled_ignore_case_ != IgnoreCase ||
      !same_text(compiled_->source(), Pattern)) {
    // Dropped first: a pattern that does not compile leaves nothing to be reused for it.
    compiled_.reset();
    compiled_for_pattern_ = false;
    compiled_ = regexp_internal::compiled_pattern_for(Pattern, IgnoreCase);
    compiled_ignore_case_ = IgnoreCase;
  }
  compiled_for_pattern_ = true;
  return *compiled_;
}

void RegExp::set_pattern(std::u16string_view pattern) {
  reuse_compiled_ = false;
  if (same_text(Pattern, pattern)) return;
  Pattern.assign(pattern);
  compiled_for_pattern_ = false;
}

bool RegExp::Test(std::u16string_view text) {
  Match first;
  return FirstMatch(text, first);
}

bool RegExp::FirstMatch(std::u16string_view text, Match& match) {
  const regexp_internal::CompiledPattern& pattern = compiled();
  StepBudget budget;
  std::array<std::size_t, 2> whole_match;
  if (!pattern.find(text, 0, budget, whole_match)) return false;
  match = match_of(text, whole_match[0], whole_match[1]);
  return true;
}

MatchCollection RegExp::Execute(std::u16string_view text) {
  const regexp_internal::CompiledPattern& pattern = compiled();
  StepBudget budget;
  MatchCollection collection;
  const auto add = [&](std::size_t start, std::size_t end) {
    collection.matches_.push_back(match_of(text, start, end));
  };
  std::array<std::size_t, 2> first;
  if (!pattern.find(text, 0, budget, first)) return collection;
  if (!Global) {
    add(first[0], first[1]);
    return collection;
  }
  if (!gathered_) gathered_ = std::make_unique<regexp_internal::MatchList>();
  regexp_internal::MatchList& found = *gathered_;
  found.clear();
  found.add(first[0], first[1]);
  regexp_internal::collect_matches(
      pattern, text, regexp_internal::next_search_start(first[0], first[1]), budget, found);
  collection.matches_.reserve(found.size());
  for (std::size_t i = 0; i < found.size(); ++i) add(found.start(i), found.end(i));
  return collection;
}

std::size_t RegExp::CountMatches(std::u16string_view text) {
  const regexp_internal::CompiledPattern& pattern = compiled();
  StepBudget budget;
  std::array<std::size_t, 2> whole_match;
  // Most texts have no match: one search, without setting up a loop over many.
  if (!pattern.find(text, 0, budget, whole_match)) return 0;
  if (!Global) return 1;
  const std::size_t from = regexp_internal::next_search_start(whole_match[0], whole_match[1]);
  return 1 + regexp_internal::count_matches(pattern, text, from, budget);
}

std::u16string RegExp::Replace(std::u16string_view text, std::u16string_view replacement) {
  std::u16string replaced;
  if (!Replace(text, replacement, replaced)) replaced.assign(text);
  return replaced;
}

bool RegExp::Replace(std::u16string_view text, std::u16string_view replacement,
                     std::u16string& replaced) {
  const regexp_internal::CompiledPattern& pattern = compiled();
  StepBudget budget;
  // The first match is found before the template is read: most texts have none.
  GroupSpans groups;
  groups.reset(2 * (std::size_t(pattern.group_count()) + 1));
  if (!pattern.find(text, 0, budget, groups.spans())) return false;
  const regexp_internal::ReplacementTemplate expansion(replacement, pattern.group_count(),
                                                       pattern.group_names());
  regexp_internal::ReplacedText out(text, expansion);
  out.add_match(groups.data());
  if (Global) {
    // Each match is expanded as it is found: only the last one's groups are kept.
    const std::size_t from = regexp_internal::next_search_start(groups.data()[0], groups.data()[1]);
    groups.reset(expansion.spans_needed());
    regexp_internal::for_each_match(pattern, text, from, budget, groups.spans(), [&] {
      out.add_match(groups.data());
      return true;
    });
  }
  replaced = out.finish();
  return true;
}

bool MatchWalk::Next(Match& match) {
  std::array<std::size_t, 2> span;
  if (from_ > text_.size() || !pattern_.find(text_, from_, budget_, span)) return false;
  match = match_of(text_, span[0], span[1]);
  from_ = regexp_internal::next_search_start(span[0], span[1]);
  return true;
}

}  // namespace kestrune
