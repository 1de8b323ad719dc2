// RegExp: the regular-expression service behind every pattern search.
//
// One matcher object with the object model the worksheet functions are written against
// (Pattern, IgnoreCase, Global; Test, Execute, Replace; Count, Item, FirstIndex, Length, Value)
// and the dialect of ECMAScript's RegExp in non-unicode mode, with the web-compatibility
// grammar, as Node.js implements it. Lookbehind and named groups are accepted too; other syntax
// that ECMAScript rejects is rejected. Texts are 16-bit units; offsets and lengths count units.
//
//   RegExp re;
//   re.Pattern = u"a.*?b";
//   re.Global = true;
//   if (re.Test(text)) {
//     MatchCollection matches = re.Execute(text);
//     for (std::size_t i = 0; i < matches.Count(); ++i) use(matches.Item(i).FirstIndex);
//   }
//   std::u16string replaced = re.Replace(text, u"[$&]");
//
// Test, Execute, CountMatches and Replace raise a Failure (failure.hpp) when the pattern does not
// compile or when the call exceeds its budget (FailureKind::out_of_budget: too many steps, or a
// result longer than kMaxResultLength): every call ends in bounded time and memory, whatever the
// pattern and text (up to 32,767 units runs well within a second).
//
// Known differences from ECMAScript, accepted:
//   - ECMAScript resets the captures of a repeated group at each pass; this engine keeps the
//     captures of earlier passes, so `(z)((a+)?(b+)?(c))*` on "zaacbbbcac" reports group 4 as
//     "bbb" where ECMAScript reports it unset. It shows in replacement texts that name such
//     groups and in back-references to them; also, a capturing group repeated at least once
//     whose first pass matches nothing repeats no further.
//   - Case-insensitive back-references use Unicode case folding, which also pairs the Kelvin
//     sign with k, long s with s, capital sharp s with sharp s, the Angstrom sign with a-ring and
//     the Ohm sign with omega.
//   - Look-behinds must have a fixed length in each alternative.
//   - Patterns that PCRE2 compiles to more than 64 Ki units (huge repeated groups) fail.
//   - Patterns longer than 294,912 units fail, and so do those whose translation for PCRE2,
//     counting the copies it makes of repeated groups, would pass 2 Mi units.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/inline_vector.hpp"
#include "regexp/budget.hpp"

namespace kestrune {

namespace regexp_internal {
class CompiledPattern;
class MatchList;
}  // namespace regexp_internal

// One match: where it starts in the searched text (counted from 0), how long it is, and its
// text. Value views the text passed to Execute: keep that text alive while matches are read.
struct Match {
  std::size_t FirstIndex = 0;
  std::size_t Length = 0;
  std::u16string_view Value;
};

// The matches of one Execute, left to right, never overlapping.
class MatchCollection {
 public:
  std::size_t Count() const { return matches_.size(); }
  const Match& Item(std::size_t index) const {
    if (index >= matches_.size()) throw std::out_of_range("no such match");
    return matches_[index];
  }
  const Match* begin() const { return matches_.begin(); }
  const Match* end() const { return matches_.end(); }

 private:
  friend class RegExp;
  InlineVector<Match, 4> matches_;
};

class RegExp {
 public:
  RegExp();
  ~RegExp();
  RegExp(const RegExp&) = delete;
  RegExp& operator=(const RegExp&) = delete;

  std::u16string Pattern;   // ECMAScript source text, without slashes or flags
  bool IgnoreCase = false;  // ECMAScript's "i" flag
  bool Global = false;      // every match (Execute, Replace) or the first only

  // Sets Pattern, copying the text only when it differs: a column of calls sets the same
  // pattern over and over.
  void set_pattern(std::u16string_view pattern);
  // For an owner that changes Pattern only through set_pattern: its next search uses the pattern
  // compiled for the last one without comparing the two texts (a column of calls searches with
  // one pattern), unless set_pattern changed the text since. A set_pattern in between undoes it.
  void reuse_compiled_pattern() { reuse_compiled_ = compiled_for_pattern_; }

  // True when the pattern matches anywhere in `text`.
  bool Test(std::u16string_view text);
  // The first match in `text`, as Execute finds it, for a caller that needs no other: false,
  // and `match` untouched, when there is none.
  bool FirstMatch(std::u16string_view text, Match& match);
  // Every match when Global, else the first (or none).
  MatchCollection Execute(std::u16string_view text);
  // The number of matches Execute would find, found without keeping them: a text with millions
  // of matches counts in little memory.
  std::size_t CountMatches(std::u16string_view text);
  // `text` with every match (Global) or the first replaced. `replacement` may hold $1..$99,
  // $&, $`, $', $$ and $<name>; any other "$" stands for itself.
  std::u16string Replace(std::u16string_view text, std::u16string_view replacement);
  // The same, for a caller that answers otherwise when nothing matches: false, and `replaced`
  // untouched, when the pattern does not match; the text is searched once either way.
  bool Replace(std::u16string_view text, std::u16string_view replacement, std::u16string& replaced);

 private:
  friend class MatchWalk;
  // A column of calls searches with the pattern compiled for the last call: that case is seen
  // inline, without a call.
  const regexp_internal::CompiledPattern& compiled() {
    if (std::exchange(reuse_compiled_, false) && compiled_ignore_case_ == IgnoreCase) {
      return *compiled_;
    }
    return compiled_for_this_search();
  }
  const regexp_internal::CompiledPattern& compiled_for_this_search();

  std::shared_ptr<const regexp_internal::CompiledPattern> compiled_;
  // compiled_ was compiled for Pattern as set_pattern last set it.
  bool compiled_for_pattern_ = false;
  bool compiled_ignore_case_ = false;  // compiled_'s case rule
  bool reuse_compiled_ = false;        // for the next search only
  // Where Execute gathers every match before it sizes its collection once; kept from call to
  // call, so that a matcher that lists many matches again and again takes its memory once.
  std::unique_ptr<regexp_internal::MatchList> gathered_;
};

// The matches of one text found one at a time, as Execute with Global finds them, for a caller
// that may stop early (the nth piece between matches). The whole walk spends one call's budget.
// The RegExp's pattern and the text must stay as they are while it walks.
//
//   MatchWalk walk(re, text);
//   for (Match m; walk.Next(m);) if (enough(m)) break;
class MatchWalk {
 public:
  MatchWalk(RegExp& re, std::u16string_view text) : pattern_(re.compiled()), text_(text) {}
  // The next match, left to right; false when there are no more.
  bool Next(Match& match);

 private:
  const regexp_internal::CompiledPattern& pattern_;
  std::u16string_view text_;
  regexp_internal::StepBudget budget_;
  std::size_t from_ = 0;
};

}  // namespace kestrune
