// What each thread keeps for matching: one PCRE2 match context (limits, JIT stack, callout),
// one JIT stack and one match-data block, all reused from call to call.
#pragma once

#include <cstdint>

#include "regexp/pcre2_16.hpp"

namespace kestrune::regexp_internal {

class MatchResources {
 public:
  // The thread's resources, made on its first search; asked for on every search, so the
  // common case is one read of a plain thread-local pointer.
  static MatchResources& for_this_thread() {
    thread_local MatchResources* made = nullptr;
    return made ? *made : make_for_this_thread(made);
  }

  MatchResources();
  ~MatchResources();
  MatchResources(const MatchResources&) = delete;
  MatchResources& operator=(const MatchResources&) = delete;

  pcre2_match_context* context() { return context_; }
  // Sets the callout of the coming searches; a pattern without one, as most are, leaves the
  // context alone when it already has none.
  void set_callout(int (*callout)(pcre2_callout_block*, void*), void* data) {
    if (!callout && !callout_set_) return;
    pcre2_set_callout(context_, callout, data);
    callout_set_ = callout != nullptr;
  }
  // A match-data block with room for at least `pairs` offset pairs.
  pcre2_match_data* data(std::uint32_t pairs) {
    return data_ && data_pairs_ >= pairs ? data_ : larger_data(pairs);
  }
  // Drops the match-data block, with the backtracking frames the interpreter keeps in it, after
  // a search that may have grown them large.
  void release_data();

 private:
  static MatchResources& make_for_this_thread(MatchResources*& made);
  pcre2_match_data* larger_data(std::uint32_t pairs);

  pcre2_match_context* context_ = nullptr;
  bool callout_set_ = false;
  pcre2_jit_stack* jit_stack_ = nullptr;
  pcre2_match_data* data_ = nullptr;
  std::uint32_t data_pairs_ = 0;
};

}  // namespace kestrune::regexp_internal
