// Failure: the one error type of the core.
//
// A value that cannot be read, a pattern that does not compile, a budget that runs out: each is
// a Failure, raised by fail() and caught exactly where a member's fallback says. It never crosses
// the automation boundary as a C++ exception.
//
//   if (!readable) fail("type mismatch");
//   try { ... } catch (const Failure&) { result = fallback; }
#pragma once

#include <stdexcept>
#include <string>

namespace kestrune {

class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The single place that raises a Failure.
[[noreturn]] void fail(const std::string& message);

}  // namespace kestrune
