// Failure: the one error type of the core.
//
// A value that cannot be read, a pattern that does not compile, a budget that runs out: each is
// a Failure, raised by fail() and caught exactly where a member's fallback says. It never crosses
// the automation boundary as a C++ exception; the automation server reports it by its kind,
// which carries the platform's run-time error number.
//
//   if (!readable) fail(FailureKind::type_mismatch, "the value has no text form");
//   return answer_or_fallback([&] { return work(); }, [&] { return fallback; });
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>

namespace kestrune {

// Numbered as the platform's run-time errors.
enum class FailureKind : std::uint16_t {
  invalid_call = 5,  // "invalid procedure call": also what a failure of no other kind reports
  overflow = 6,
  // "out of memory": the work would exceed its budget of steps or the size of its results. A
  // search that fails so could not finish, which is never read as "no match".
  out_of_budget = 7,
  subscript = 9,
  type_mismatch = 13,
  object_not_set = 91,
  object_required = 424,
};

class Failure : public std::runtime_error {
 public:
  Failure(FailureKind kind, const std::string& message)
      : std::runtime_error(message), kind_(kind) {}
  FailureKind kind() const { return kind_; }

 private:
  FailureKind kind_;
};

// The single place that raises a Failure. The message is the kind's words, then ": " and the
// detail when there is one ("type mismatch: the text is not a number").
[[noreturn]] void fail(FailureKind kind, const std::string& detail = "");
// A failure of no particular kind, reported as an invalid procedure call, with this message.
[[noreturn]] void fail(const std::string& message);

// Runs `work`; on a designed failure (a Failure, or memory that cannot be had) answers
// `fallback()` instead. Any other exception is a fault of the program, not of the input: it
// passes through, so that it surfaces as a failed call rather than as a plausible answer.
template <class Work, class Fallback>
auto answer_or_fallback(Work&& work, Fallback&& fallback) -> decltype(work()) {
  try {
    return work();
  } catch (const Failure&) {
    return fallback();
  } catch (const std::bad_alloc&) {
    return fallback();
  }
}

}  // namespace kestrune
