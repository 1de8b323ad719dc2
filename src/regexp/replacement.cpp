#include "regexp/replacement.hpp"

#include <algorithm>

#include "base/result_limits.hpp"
#include "regexp/compiled_pattern.hpp"

namespace kestrune::regexp_internal {
namespace {

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

ReplacementTemplate::ReplacementTemplate(std::u16string_view r, std::uint32_t group_count,
                                         const GroupNames& group_names) {
  // Most replacements are plain text.
  if (r.find(u'$') == std::u16string_view::npos) {
    add_literal(r);
    plain_text_ = r;
    return;
  }
  std::size_t literal_start = 0;
  std::size_t i = 0;
  // Ends the literal text before position i and moves past a sequence of `length` units.
  auto take = [&](std::size_t length, Piece piece) {
    add_literal(r.substr(literal_start, i - literal_start));
    pieces_.push_back(piece);
    i += length;
    literal_start = i;
  };
  while (i < r.size()) {
    if (r[i] != u'$' || i + 1 == r.size()) {
      ++i;
      continue;
    }
    const char16_t next = r[i + 1];
    if (next == u'$') {
      take(2, {PieceKind::kLiteral, r.substr(i, 1), 0});
    } else if (next == u'&') {
      take(2, {PieceKind::kGroup, {}, 0});
    } else if (next == u'`') {
      take(2, {PieceKind::kBefore, {}, 0});
    } else if (next == u'\'') {
      take(2, {PieceKind::kAfter, {}, 0});
    } else if (is_digit(next)) {
      const bool two_digits = i + 2 < r.size() && is_digit(r[i + 2]);
      const std::uint32_t two = two_digits ? (next - u'0') * 10 + (r[i + 2] - u'0') : 0;
      const std::uint32_t one = next - u'0';
      if (two_digits && two >= 1 && two <= group_count) {
        take(3, {PieceKind::kGroup, {}, two});
      } else if (one >= 1 && one <= group_count) {
        take(2, {PieceKind::kGroup, {}, one});
      } else {
        ++i;  // "$0", "$00" or a group the pattern lacks: literal text
      }
    } else if (next == u'<' && !group_names.empty()) {
      const std::size_t close = r.find(u'>', i + 2);
      if (close == std::u16string_view::npos) {
        ++i;
        continue;
      }
      const std::u16string_view name = r.substr(i + 2, close - i - 2);
      std::uint32_t group = kNoGroup;
      for (const auto& [known, number] : group_names) {
        if (known == name) group = number;
      }
      take(close + 1 - i, {PieceKind::kGroup, {}, group});
    } else {
      ++i;
    }
  }
  add_literal(r.substr(literal_start));
  for (const Piece& piece : pieces_) {
    if (piece.kind == PieceKind::kGroup && piece.group != kNoGroup) {
      spans_needed_ = std::max<std::size_t>(spans_needed_, 2 * (std::size_t(piece.group) + 1));
    }
  }
}

void ReplacementTemplate::add_literal(std::u16string_view literal) {
  if (!literal.empty()) pieces_.push_back({PieceKind::kLiteral, literal, 0});
}

std::u16string_view ReplacementTemplate::text_of(const Piece& piece, std::u16string_view text,
                                                 const std::size_t* spans) const {
  switch (piece.kind) {
    case PieceKind::kLiteral:
      return piece.literal;
    case PieceKind::kBefore:
      return text.substr(0, spans[0]);
    case PieceKind::kAfter:
      return text.substr(spans[1]);
    case PieceKind::kGroup:
      if (piece.group == kNoGroup || spans[2 * piece.group] == kUnset) return {};
      return text.substr(spans[2 * piece.group],
                         spans[2 * piece.group + 1] - spans[2 * piece.group]);
  }
  return {};
}

std::size_t ReplacementTemplate::expansion_length(std::u16string_view text,
                                                  const std::size_t* spans) const {
  std::size_t length = 0;
  for (const Piece& piece : pieces_) length += text_of(piece, text, spans).size();
  return length;
}

void ReplacementTemplate::append_expansion(std::u16string& out, std::u16string_view text,
                                           const std::size_t* spans) const {
  for (const Piece& piece : pieces_) out += text_of(piece, text, spans);
}

std::u16string ReplacedText::finish() {
  const std::u16string_view rest = text_.substr(copied_);
  require_result_length(out_.size() + rest.size());
  out_ += rest;
  return std::move(out_);
}

}  // namespace kestrune::regexp_internal
