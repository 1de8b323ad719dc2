// The answers of search mode: positions, lengths, counts, texts cut around the matches, and
// the result grid, chosen by a result code. Internal to the search engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "regexp/regexp.hpp"
#include "search/result_code.hpp"
#include "search/text_search.hpp"
#include "variant/variant.hpp"

namespace kestrune {

struct SearchSubject {
  std::u16string_view text;        // the working text (reversed when searching from the right)
  std::span<const Match> matches;  // left to right in `text`; at least one
  double position_offset = 0;      // added to each match's start
  double length_offset = 0;        // added to each match's length
  bool from_right = false;         // text answers read in the order of the given text
};

// Whether `code` needs only the first match (so the other matches need not be found).
inline bool needs_first_match_only(ResultCode code) {
  return code <= ResultCode::text_from_window || code == ResultCode::found;
}

// The answer for a result code of matching (not the pattern query). A cut that cannot be made, or a
// grid larger than kMaxGridCells, is a Failure.
Variant search_result(ResultCode code, const SearchSubject& subject);

// The nth of the pieces which are not empty that the matches cut `text` into: `first`, which
// `walk` has found, and those it finds next. Read in the order of the given text; none when
// there are fewer. Only the matches up to that piece are looked for.
std::optional<Variant> nth_nonempty_piece(std::u16string_view text, bool from_right,
                                          MatchWalk& walk, Match first, std::int32_t n);

// The largest result grid answered (2,048 x 2,048); larger ones take the error path rather than
// exhaust memory.
inline constexpr std::size_t kMaxGridCells = 4'194'304;

}  // namespace kestrune
