#include "regexp/match_resources.hpp"

#include <algorithm>

#include "base/failure.hpp"

namespace kestrune::regexp_internal {
namespace {

// (a|b)*c over 32,767 units needs about 2 MiB of JIT stack; what does not fit in 8 MiB runs on
// the interpreter instead.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;
// The interpreter's backtracking frames live on the heap; more than this is a budget failure.
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr std::uint32_t kMinimumPairs = 16;

}  // namespace

MatchResources& MatchResources::make_for_this_thread(MatchResources*& made) {
  thread_local MatchResources resources;
  made = &resources;
  return resources;
}

MatchResources::MatchResources() {
  context_ = pcre2_match_context_create(nullptr);
  jit_stack_ = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
  if (!context_ || !jit_stack_) fail("no memory for regular-expression matching");
  pcre2_jit_stack_assign(context_, nullptr, jit_stack_);
  pcre2_set_heap_limit(context_, kHeapLimitKiB);
}

MatchResources::~MatchResources() {
  release_data();
  pcre2_jit_stack_free(jit_stack_);
  pcre2_match_context_free(context_);
}

pcre2_match_data* MatchResources::larger_data(std::uint32_t pairs) {
  release_data();
  data_pairs_ = std::max(pairs, kMinimumPairs);
  data_ = pcre2_match_data_create(data_pairs_, nullptr);
  if (!data_) fail("no memory for regular-expression matching");
  return data_;
}

void MatchResources::release_data() {
  pcre2_match_data_free(data_);
  data_ = nullptr;
  data_pairs_ = 0;
}

}  // namespace kestrune::regexp_internal
