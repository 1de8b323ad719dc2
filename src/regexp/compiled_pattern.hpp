// CompiledPattern: one ECMAScript pattern translated and compiled by PCRE2 (JIT-compiled where
// that is safe), ready to search any number of texts from any thread.
//
//   CompiledPattern pattern(u"a(b)?", /*ignore_case=*/false);
//   StepBudget budget;
//   std::array<std::size_t, 4> spans;
//   if (pattern.find(u"xab", 0, budget, spans)) { /* spans: {1, 3, 2, 3} */ }
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "regexp/budget.hpp"
#include "regexp/match_resources.hpp"
#include "regexp/pattern_tree.hpp"

namespace kestrune::regexp_internal {

// The span of a group that took no part in a match.
constexpr std::size_t kUnset = SIZE_MAX;
// PCRE2's compiler recurses once a nesting level of its groups, about 0.6 KiB a level: this
// keeps it within half of a 1 MiB thread stack, like the parser's kMaxGroupNesting. The
// translator writes up to two PCRE2 groups for an ECMAScript group (a repeated lookahead, or
// alternatives in a repeated group), so such patterns meet this limit at the
// parser's own, 300 levels.
constexpr std::uint32_t kMaxEngineGroupNesting = 600;

class CompiledPattern {
 public:
  // A pattern that does not compile is a Failure.
  CompiledPattern(std::u16string_view source, bool ignore_case);
  ~CompiledPattern();
  CompiledPattern(const CompiledPattern&) = delete;
  CompiledPattern& operator=(const CompiledPattern&) = delete;

  const std::u16string& source() const { return source_; }
  bool ignore_case() const { return ignore_case_; }
  std::uint32_t group_count() const { return group_count_; }
  const GroupNames& group_names() const { return group_names_; }
  bool uses_jit() const { return jit_; }
  // The JIT code of a pattern searched without budget sites, as most are, which a loop over
  // many matches runs directly (match_loop.hpp); null for the others.
  pcre2_real_code_16* plain_jit_code() const { return jit_ && sites_.empty() ? code_ : nullptr; }
  // The offset pairs PCRE2 writes for a match: the whole match and each of its own groups.
  std::uint32_t engine_pairs() const { return engine_group_count_ + 1; }
  std::size_t budget_site_count() const { return sites_.size(); }

  // Finds the leftmost match that starts at or after `start` and writes the spans of its first
  // spans.size() / 2 groups into `spans`: start and end of group 0 (the whole match), 1, 2 ...;
  // kUnset for a group that took no part. False, and `spans` unchanged, when there is none.
  // Look-behinds see the text before `start`. A search that runs out of `budget` is a Failure.
  bool find(std::u16string_view text, std::size_t start, StepBudget& budget,
            std::span<std::size_t> spans) const {
    MatchResources& resources = MatchResources::for_this_thread();
    pcre2_match_data* data = resources.data(engine_pairs());
    if (!plain_jit_code()) return find_charged(text, start, budget, jit_, resources, data, spans);
    // Most patterns run on the JIT without budget sites: nothing is charged, no callout is
    // called, and the search is inline, as a column of calls makes one a cell.
    resources.set_callout(nullptr, nullptr);
    const int rc = pcre2_jit_match(code_, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
                                   start, 0, data, resources.context());
    if (rc >= 0) {
      copy_spans(rc, data, spans);
      return true;
    }
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    return settle_jit_failure(rc, text, start, budget, resources, data, spans);
  }

 private:
  // A plain JIT search that ended with the error `rc`: out of stack, the interpreter searches
  // again; anything else is a Failure.
  bool settle_jit_failure(int rc, std::u16string_view text, std::size_t start, StepBudget& budget,
                          MatchResources& resources, pcre2_real_match_data_16* data,
                          std::span<std::size_t> spans) const;
  // A search whose passes through budget sites are charged to `budget`, or that runs on the
  // interpreter (`jit` false): the interpreter takes over where the JIT runs out of stack.
  bool find_charged(std::u16string_view text, std::size_t start, StepBudget& budget, bool jit,
                    MatchResources& resources, pcre2_real_match_data_16* data,
                    std::span<std::size_t> spans) const;
  // The Failure of a search that PCRE2 ended with the error `rc`.
  [[noreturn]] static void fail_search(int rc);
  int run(std::u16string_view text, std::size_t start, StepCounter& counter, bool jit,
          pcre2_real_match_data_16* data, pcre2_real_match_context_16* context) const;
  void copy_spans(int rc, pcre2_real_match_data_16* data, std::span<std::size_t> spans) const {
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    if (spans.size() == 2) {
      // Most searches ask for the whole match alone, which is PCRE2's first pair and always set.
      spans[0] = ovector[0];
      spans[1] = ovector[1];
      return;
    }
    copy_group_spans(rc, ovector, spans);
  }
  void copy_group_spans(int rc, const std::size_t* ovector, std::span<std::size_t> spans) const;

  std::u16string source_;
  bool ignore_case_;
  std::uint32_t group_count_ = 0;
  GroupNames group_names_;
  std::uint32_t engine_group_count_ = 0;
  std::vector<std::uint32_t> group_numbers_;  // PCRE2's number of each group
  BudgetSites sites_;
  std::uint32_t scan_cost_ = 1;
  pcre2_real_code_16* code_ = nullptr;
  bool jit_ = false;
};

}  // namespace kestrune::regexp_internal
