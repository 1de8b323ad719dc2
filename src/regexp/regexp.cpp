#include "regexp/regexp.hpp"

#include "base/same_text.hpp"
#include "regexp/compiled_pattern.hpp"
#include "regexp/pattern_cache.hpp"
#include "regexp/remembered_matches.hpp"
#include "regexp/replacement.hpp"

namespace kestrune {

using regexp_internal::MatchList;

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
  return !remembered_->first(compiled_, text).empty();
}

MatchCollection RegExp::Execute(std::u16string_view text) {
  compiled();
  const MatchList& found =
      Global ? remembered_->all(compiled_, text) : remembered_->first(compiled_, text);
  const std::size_t count = Global ? found.size() : std::min<std::size_t>(found.size(), 1);
  MatchCollection collection;
  collection.matches_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t length = found.end(i) - found.start(i);
    collection.matches_.push_back({found.start(i), length, text.substr(found.start(i), length)});
  }
  return collection;
}

std::u16string RegExp::Replace(std::u16string_view text, std::u16string_view replacement) {
  const regexp_internal::CompiledPattern& pattern = compiled();
  const MatchList& found =
      Global ? remembered_->all(compiled_, text) : remembered_->first(compiled_, text);
  const std::size_t count = Global ? found.size() : std::min<std::size_t>(found.size(), 1);
  const regexp_internal::ReplacementTemplate expansion(replacement, pattern.group_count(),
                                                       pattern.group_names());
  std::u16string out;
  std::size_t copied = 0;
  for (std::size_t i = 0; i < count; ++i) {
    out += text.substr(copied, found.start(i) - copied);
    expansion.append_expansion(out, text, found.spans(i));
    copied = found.end(i);
  }
  out += text.substr(copied);
  return out;
}

}  // namespace kestrune
