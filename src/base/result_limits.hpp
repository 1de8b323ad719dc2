// The size limit on the texts a call builds, shared by every member that builds them.
//
//   require_result_length(out.size() + piece.size());  // before appending the piece
//   out += piece;
#pragma once

#include <cstddef>

#include "base/failure.hpp"

namespace kestrune {

// The longest text a call builds (16,777,216 units, 32 MiB). Repeating a cell's text once per
// match, or extracting overlapping items, can ask for far more; past this the call fails rather
// than exhaust memory.
inline constexpr std::size_t kMaxResultLength = std::size_t{1} << 24;

// A Failure when a text of `length` units would be longer than kMaxResultLength: checked before
// the room for it is taken.
inline void require_result_length(std::size_t length) {
  if (length > kMaxResultLength) fail(FailureKind::out_of_budget, "the result would be too long");
}

}  // namespace kestrune
