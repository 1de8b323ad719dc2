#include "regexp/compiled_pattern.hpp"

#include <algorithm>
#include <string>

#include "base/failure.hpp"
#include "regexp/match_resources.hpp"
#include "regexp/pcre2_16.hpp"
#include "regexp/translator.hpp"

namespace kestrune::regexp_internal {
namespace {

// A search over more units than this on the interpreter may have grown its frame store large.
constexpr std::size_t kLongTextForInterpreter = 4096;
// What a callout returns to end the search, or to make the engine backtrack from there.
constexpr int kBudgetSpent = PCRE2_ERROR_CALLOUT;
constexpr int kBacktrack = 1;

std::string pcre2_message(int code) {
  PCRE2_UCHAR buffer[256];
  if (pcre2_get_error_message(code, buffer, sizeof buffer / sizeof buffer[0]) < 0) {
    return "error " + std::to_string(code);
  }
  std::string message;
  for (const PCRE2_UCHAR* c = buffer; *c; ++c) message += char(*c < 0x80 ? *c : '?');
  return message;
}

std::uint32_t compile_options(bool unicode_case) {
  return PCRE2_NEVER_UTF | PCRE2_NEVER_BACKSLASH_C | PCRE2_MATCH_UNSET_BACKREF |
         (unicode_case ? PCRE2_UCP : PCRE2_NEVER_UCP);
}

pcre2_code* compile(const std::u16string& source, bool unicode_case) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  if (!context) fail("no memory for regular-expression compiling");
  pcre2_set_parens_nest_limit(context, kMaxEngineGroupNesting);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(),
                                   compile_options(unicode_case), &error, &offset, context);
  pcre2_compile_context_free(context);
  if (!code) fail("regular expression not supported: " + pcre2_message(error));
  return code;
}

bool group_is_set(const pcre2_callout_block& block, std::uint32_t group) {
  return group < block.capture_top && block.offset_vector[2 * group] != PCRE2_UNSET;
}

std::size_t group_start(const pcre2_callout_block& block, std::uint32_t group) {
  return block.offset_vector[2 * group];
}

// ECMAScript fails a pass beyond the repeat's minimum that matched nothing.
bool pass_must_fail(const pcre2_callout_block& block, const BudgetSite& site) {
  if (!group_is_set(block, site.pass_start_group)) return false;
  const std::size_t start = group_start(block, site.pass_start_group);
  if (start != block.current_position) return false;
  // With a minimum of 1, the first pass may match nothing; only the first pass starts where the
  // loop does, as PCRE2 repeats no further after a pass that matched nothing.
  return !(site.loop_start_group != 0 && group_is_set(block, site.loop_start_group) &&
           group_start(block, site.loop_start_group) == start);
}

int at_site(pcre2_callout_block* block, void* data) {
  StepCounter& counter = *static_cast<StepCounter*>(data);
  const BudgetSite& site = counter.sites().find(block->callout_number, block->pattern_position);
  std::size_t compared = 0;
  if (site.back_reference != 0 && group_is_set(*block, site.back_reference)) {
    const PCRE2_SIZE* group = block->offset_vector + 2 * site.back_reference;
    compared = group[1] - group[0];
  }
  if (!counter.pass(site, block->start_match, block->current_position, compared)) {
    return kBudgetSpent;
  }
  return site.pass_start_group != 0 && pass_must_fail(*block, site) ? kBacktrack : 0;
}

}  // namespace

CompiledPattern::CompiledPattern(std::u16string_view source, bool ignore_case)
    : ignore_case_(ignore_case) {
  // Translated first: a pattern refused for its length is not copied.
  Translation t = translate_pattern(source, ignore_case);
  source_ = source;
  group_count_ = t.group_count;
  group_names_ = std::move(t.group_names);
  engine_group_count_ = t.engine_group_count;
  group_numbers_ = std::move(t.group_numbers);
  sites_ = std::move(t.sites);
  scan_cost_ = t.scan_cost;
  code_ = compile(t.pcre_source, t.needs_unicode_case);
  // PCRE2 10.42's JIT does not fold non-ASCII text in case-insensitive back-references.
  jit_ = !t.needs_unicode_case && pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE) == 0;
}

CompiledPattern::~CompiledPattern() { pcre2_code_free(code_); }

void CompiledPattern::copy_group_spans(int rc, const std::size_t* ovector,
                                       std::span<std::size_t> spans) const {
  // Groups from rc on took no part in the match.
  const std::size_t set_pairs = rc == 0 ? engine_group_count_ + 1 : std::size_t(rc);
  const std::size_t groups = std::min<std::size_t>(spans.size() / 2, group_count_ + 1);
  for (std::size_t group = 0; group < groups; ++group) {
    const std::uint32_t pair = group_numbers_[group];
    const bool took_part = pair < set_pairs && ovector[2 * pair] != PCRE2_UNSET;
    spans[2 * group] = took_part ? ovector[2 * pair] : kUnset;
    spans[2 * group + 1] = took_part ? ovector[2 * pair + 1] : kUnset;
  }
}

bool CompiledPattern::settle_jit_failure(int rc, std::u16string_view text, std::size_t start,
                                         StepBudget& budget, MatchResources& resources,
                                         pcre2_match_data* data,
                                         std::span<std::size_t> spans) const {
  if (rc != PCRE2_ERROR_JIT_STACKLIMIT) fail_search(rc);
  return find_charged(text, start, budget, false, resources, data, spans);
}

bool CompiledPattern::find_charged(std::u16string_view text, std::size_t start, StepBudget& budget,
                                   bool jit, MatchResources& resources, pcre2_match_data* data,
                                   std::span<std::size_t> spans) const {
  StepCounter counter(sites_, scan_cost_, budget);
  resources.set_callout(sites_.empty() ? nullptr : at_site, &counter);
  bool interpreted = !jit;
  int rc = run(text, start, counter, jit, data, resources.context());
  if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
    interpreted = true;
    rc = run(text, start, counter, false, data, resources.context());
  }
  if (rc >= 0) copy_spans(rc, data, spans);
  if (interpreted && text.size() > kLongTextForInterpreter) resources.release_data();
  if (rc >= 0) return true;
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  fail_search(rc);
}

void CompiledPattern::fail_search(int rc) {
  if (rc == kBudgetSpent || rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
      rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_NOMEMORY) {
    fail(FailureKind::out_of_budget, "the regular expression's search exceeded its budget");
  }
  fail("regular expression matching failed: " + pcre2_message(rc));
}

int CompiledPattern::run(std::u16string_view text, std::size_t start, StepCounter& counter,
                         bool jit, pcre2_match_data* data, pcre2_match_context* context) const {
  // Only the sites charge the budget.
  if (!sites_.empty()) counter.set_weights(StepBudget::weights(engine_group_count_, !jit));
  const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  if (jit) return pcre2_jit_match(code_, subject, text.size(), start, 0, data, context);
  return pcre2_match(code_, subject, text.size(), start, PCRE2_NO_JIT, data, context);
}

}  // namespace kestrune::regexp_internal
