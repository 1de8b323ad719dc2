#include "search/search_results.hpp"

#include <string>

#include "base/failure.hpp"
#include "base/result_limits.hpp"
#include "search/text_search.hpp"
#include "variant/conversions.hpp"
#include "variant/locale.hpp"

namespace kestrune {
namespace {

// Cuts of the working text with the platform's rules: the start and count are rounded to whole
// numbers; more characters than remain give what remains, a start beyond the end gives "".
// They view the working text; an answer copies what it keeps.
std::u16string_view mid(std::u16string_view text, double start, double count) {
  const std::int32_t from = round_to_whole(start);
  const std::int32_t length = round_to_whole(count);
  if (from < 1 || length < 0) fail(FailureKind::invalid_call);
  if (std::size_t(from) > text.size()) return {};
  return text.substr(std::size_t(from) - 1, std::size_t(length));
}

std::u16string_view left(std::u16string_view text, double count) {
  const std::int32_t length = round_to_whole(count);
  if (length < 0) fail(FailureKind::invalid_call);
  return text.substr(0, std::size_t(length));
}

std::u16string_view right(std::u16string_view text, double count) {
  const std::int32_t length = round_to_whole(count);
  if (length < 0) fail(FailureKind::invalid_call);
  if (std::size_t(length) >= text.size()) return text;
  return text.substr(text.size() - std::size_t(length));
}

// The windows, gaps, tails and pieces of one search, with matches numbered from 1.
class MatchFigures {
 public:
  explicit MatchFigures(const SearchSubject& subject) : s_(subject) {}

  std::size_t count() const { return s_.matches.size(); }
  double length_of_text() const { return double(s_.text.size()); }
  double start(std::size_t k) const { return double(match(k).FirstIndex) + 1; }       // S_k
  double length(std::size_t k) const { return double(match(k).Length); }              // N_k
  double window_start(std::size_t k) const { return start(k) + s_.position_offset; }  // P_k
  double window_length(std::size_t k) const { return length(k) + s_.length_offset; }  // W_k

  std::u16string_view window(std::size_t k) const {
    // Without offsets, as most calls are, the window is the match itself: no rounding to do.
    if (s_.position_offset == 0 && s_.length_offset == 0) return match(k).Value;
    if (window_start(k) < 1 || window_length(k) < 0) return {};
    return mid(s_.text, window_start(k), window_length(k));
  }
  std::u16string_view lead() const {
    if (window_start(1) < 1) return {};
    return left(s_.text, window_start(1) - 1);
  }
  std::u16string_view gap_after(std::size_t k) const {
    const double from = start(k) + length(k) + s_.position_offset;
    const double distance = start(k + 1) - start(k) - length(k);
    if (from < 1 || distance < 0) return {};
    return mid(s_.text, from, distance);
  }
  std::u16string_view tail_after(std::size_t k) const {
    const double remaining = length_of_text() - (window_start(k) + window_length(k) - 1);
    if (remaining < 0) return {};
    return right(s_.text, remaining);
  }
  std::u16string_view preceding(std::size_t k) const { return k == 1 ? lead() : gap_after(k - 1); }
  std::u16string_view following(std::size_t k) const {
    return k < count() ? gap_after(k) : tail_after(k);
  }
  // Piece k of the n + 1 pieces the matches cut the text into.
  std::u16string_view piece(std::size_t k) const {
    if (k == 1) return lead();
    return k <= count() ? gap_after(k - 1) : tail_after(count());
  }
  // Position of the window's last character counted from the far end of the text.
  double position_from_end(std::size_t k) const {
    return length_of_text() - window_start(k) - window_length(k) + 2;
  }

 private:
  const Match& match(std::size_t k) const { return s_.matches[k - 1]; }
  const SearchSubject& s_;
};

// A cut as an answer: its own text, read in the order of the given text.
Variant text_in_given_order(std::u16string_view cut, bool from_right) {
  return Variant::text(from_right ? reverse_text(cut) : std::u16string(cut));
}

// Two adjacent cuts as one answer.
Variant text_in_given_order(std::u16string_view first, std::u16string_view second,
                            bool from_right) {
  std::u16string joined;
  joined.reserve(first.size() + second.size());
  joined.append(first).append(second);
  return text_in_given_order(joined, from_right);
}

Variant decimal_text(double value) {
  return Variant::text(format_number(value, decimal_separator()));
}

// The units of text a list holds, counted item by item: windows widened by a length offset can
// repeat most of the text for every match, so the whole list is held to kMaxResultLength.
class ListLength {
 public:
  explicit ListLength(std::size_t copies) : copies_(copies) {}
  // Counts an item that the list holds `copies` times; a Failure past the limit.
  void add(const Variant& item) {
    if (item.is_text()) units_ += copies_ * item.text_value().size();
    require_result_length(units_);
  }

 private:
  std::size_t copies_;
  std::size_t units_ = 0;
};

// The list of `count` items: a grid of that side with item k in cells (k, 1) and (1, k). The
// grid is sparse: its other cells are empty, and a caller that reads only some cells never pays
// for the rest.
template <class Item>
Variant result_list(std::size_t count, Item&& item) {
  if (count > 0 && count > kMaxGridCells / count) fail("the result grid would be too large");
  Array grid = Array::sparse_two_dimensional(count, count);
  ListLength length(2);
  for (std::size_t k = 1; k <= count; ++k) {
    Variant value = item(k);
    length.add(value);
    const auto index = std::int32_t(k);
    if (k > 1) grid.set(index, 1, value);
    grid.set(1, index, std::move(value));
  }
  return Variant::array(std::move(grid));
}

double count_of_nonempty_pieces(const MatchFigures& m) {
  double pieces = double(m.count() + 1);
  for (std::size_t k = 1; k <= m.count() + 1; ++k) {
    if (m.piece(k).empty()) pieces -= 1;
  }
  return pieces;
}

double sum_of_positive_windows(const MatchFigures& m) {
  double sum = 0;
  for (std::size_t k = 1; k <= m.count(); ++k) {
    if (m.window_length(k) > 0) sum += m.window_length(k);
  }
  return sum;
}

}  // namespace

Variant search_result(ResultCode code, const SearchSubject& subject) {
  const MatchFigures m(subject);
  const bool rev = subject.from_right;
  const std::size_t n = m.count();
  switch (code) {
    case ResultCode::window_position:
      return Variant::number(m.window_start(1));
    case ResultCode::window_position_from_end:
      return Variant::number(m.position_from_end(1));
    case ResultCode::window_text:
      return text_in_given_order(m.window(1), rev);
    case ResultCode::window_length:
      return Variant::number(m.window_length(1) < 0 ? 0 : m.window_length(1));
    case ResultCode::text_before:
      return text_in_given_order(m.lead(), rev);
    case ResultCode::text_after:
      return text_in_given_order(m.tail_after(1), rev);
    case ResultCode::text_through_window:
      return text_in_given_order(m.lead(), m.window(1), rev);
    case ResultCode::text_from_window:
      return text_in_given_order(m.window(1), m.tail_after(1), rev);
    case ResultCode::match_count:
      return Variant::number(double(n));
    case ResultCode::nonempty_piece_count:
      return Variant::number(count_of_nonempty_pieces(m));
    case ResultCode::window_positions:
      return result_list(n, [&](std::size_t k) { return decimal_text(m.window_start(k)); });
    case ResultCode::window_positions_from_end:
      return result_list(n, [&](std::size_t k) { return decimal_text(m.position_from_end(k)); });
    case ResultCode::window_texts:
      return result_list(n, [&](std::size_t k) { return text_in_given_order(m.window(k), rev); });
    case ResultCode::window_lengths:
      return result_list(n, [&](std::size_t k) {
        return m.window_length(k) < 0 ? Variant::text(u"0") : decimal_text(m.window_length(k));
      });
    case ResultCode::window_length_total:
      return Variant::number(sum_of_positive_windows(m));
    case ResultCode::texts_before:
      return result_list(n,
                         [&](std::size_t k) { return text_in_given_order(m.preceding(k), rev); });
    case ResultCode::texts_after:
      return result_list(n,
                         [&](std::size_t k) { return text_in_given_order(m.following(k), rev); });
    case ResultCode::pieces:
      return result_list(n + 1,
                         [&](std::size_t k) { return text_in_given_order(m.piece(k), rev); });
    case ResultCode::texts_through_windows:
      return result_list(
          n, [&](std::size_t k) { return text_in_given_order(m.preceding(k), m.window(k), rev); });
    case ResultCode::texts_from_windows:
      return result_list(
          n, [&](std::size_t k) { return text_in_given_order(m.window(k), m.following(k), rev); });
    case ResultCode::found:
      return Variant::boolean(true);
    case ResultCode::pattern_query:
      break;
  }
  fail("no such result code");
}

std::optional<Variant> nth_nonempty_piece(std::u16string_view text, bool from_right,
                                          MatchWalk& walk, Match match, std::int32_t n) {
  std::size_t piece_start = 0;
  std::int32_t pieces = 0;
  for (bool more = true;; more = walk.Next(match)) {
    const std::size_t piece_end = more ? match.FirstIndex : text.size();
    if (piece_end > piece_start && ++pieces == n) {
      return text_in_given_order(text.substr(piece_start, piece_end - piece_start), from_right);
    }
    if (!more) return std::nullopt;
    piece_start = match.FirstIndex + match.Length;
  }
}

}  // namespace kestrune
