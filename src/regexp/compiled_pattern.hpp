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
#include "regexp/pattern_tree.hpp"

struct pcre2_real_code_16;
struct pcre2_real_match_data_16;
struct pcre2_real_match_context_16;

namespace kestrune::regexp_internal {

class MatchResources;

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
            std::span<std::size_t> spans) const;

 private:
  // A search whose passes through budget sites are charged to `budget`, or that runs on the
  // interpreter (`jit` false): the interpreter takes over where the JIT runs out of stack.
  bool find_charged(std::u16string_view text, std::size_t start, StepBudget& budget, bool jit,
                    MatchResources& resources, pcre2_real_match_data_16* data,
                    std::span<std::size_t> spans) const;
  // The Failure of a search that PCRE2 ended with the error `rc`.
  [[noreturn]] static void fail_search(int rc);
  int run(std::u16string_view text, std::size_t start, StepCounter& counter, bool jit,
          pcre2_real_match_data_16* data, pcre2_real_match_context_16* context) const;
  void copy_spans(int rc, pcre2_real_match_data_16* data, std::span<std::size_t> spans) const;
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
