// The result codes of search mode: what a search answers, chosen by its `return_type`.
//
// The codes are part of every stored worksheet formula, so their numbers never change. "Window"
// is the stretch a match selects once the position and length offsets are applied; the lists
// (positions, windows, lengths, neighbours, pieces) answer one item per match.
//
//   if (code == ResultCode::match_count) ...
//   Variant code = result_code_argument(ResultCode::pieces);   // the number 18
#pragma once

#include "variant/variant.hpp"

namespace kestrune {

enum class ResultCode : int {
  window_position = 1,           // where the first window starts
  window_position_from_end = 2,  // where the first window ends, counted from the far end
  window_text = 3,               // the first window
  window_length = 4,             // its length (0 when negative)
  text_before = 5,               // the text before the first window
  text_after = 6,                // the text after the first window, to the end
  text_through_window = 7,       // text_before followed by window_text
  text_from_window = 8,          // window_text followed by text_after
  match_count = 9,               // the number of matches
  nonempty_piece_count = 10,     // the pieces the matches cut the text into, less empty ones
  window_positions = 11,         // lists, one item per match...
  window_positions_from_end = 12,
  window_texts = 13,
  window_lengths = 14,
  window_length_total = 15,  // the sum of the windows' positive lengths
  texts_before = 16,         // the text between the previous match and each window
  texts_after = 17,          // the text between each window and the next match
  pieces = 18,               // the text cut at the matches: one more item than matches
  texts_through_windows = 19,
  texts_from_windows = 20,
  found = 21,  // TRUE
  // Not a result of matching: the pattern the search built, answered before any matching.
  pattern_query = 99,
};

inline constexpr ResultCode kFirstResultCode = ResultCode::window_position;
inline constexpr ResultCode kLastResultCode = ResultCode::found;
// The one code whose not_found_return defaults to FALSE rather than "#VALUE!".
inline constexpr ResultCode kCodeWithFalseDefault = ResultCode::texts_from_windows;

// A code as the `return_type` argument a member passes to the search engine.
inline Variant result_code_argument(ResultCode code) { return Variant::number(double(code)); }

}  // namespace kestrune
