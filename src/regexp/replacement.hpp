// The replacement text of Replace, read once and expanded for every match as ECMAScript's
// GetSubstitution does:
//   $$        a "$"
//   $&        the match
//   $` $'     the text before / after the match
//   $n $nn    group n (1-99); two digits only when that group exists, else one digit and a
//             literal digit; a group number the pattern does not have stays literal text
//   $<name>   the named group (only when the pattern has named groups; an unknown name gives
//             nothing)
// Any other "$" is itself; a group that took no part in the match gives nothing.
//
//   ReplacementTemplate expansion(u"[$1]", pattern.group_count(), pattern.group_names());
//   ReplacedText out(text, expansion);
//   out.add_match(spans);  // for every match, left to right
//   std::u16string replaced = out.finish();
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/inline_vector.hpp"
#include "base/result_limits.hpp"
#include "regexp/pattern_tree.hpp"

namespace kestrune::regexp_internal {

class ReplacementTemplate {
 public:
  ReplacementTemplate(std::u16string_view replacement, std::uint32_t group_count,
                      const GroupNames& group_names);

  // The number of group spans (CompiledPattern::find) the expansion reads: every group up to
  // the highest one it names.
  std::size_t spans_needed() const { return spans_needed_; }
  // The expansion when it takes nothing from the match (a plain text, as most are), else none.
  const std::optional<std::u16string_view>& plain_text() const { return plain_text_; }
  // The length of the expansion for the match whose group spans are `spans`.
  std::size_t expansion_length(std::u16string_view text, const std::size_t* spans) const;
  // Appends that expansion.
  void append_expansion(std::u16string& out, std::u16string_view text,
                        const std::size_t* spans) const;

 private:
  enum class PieceKind : std::uint8_t { kLiteral, kGroup, kBefore, kAfter };
  struct Piece {
    PieceKind kind;
    std::u16string_view literal;  // kLiteral: a view into the replacement text
    std::uint32_t group = 0;      // kGroup: 0 is the whole match; kNoGroup gives nothing
  };
  static constexpr std::uint32_t kNoGroup = UINT32_MAX;

  void add_literal(std::u16string_view literal);
  std::u16string_view text_of(const Piece& piece, std::u16string_view text,
                              const std::size_t* spans) const;

  // Most replacements are a literal or a group or two: no memory is taken for them.
  InlineVector<Piece, 4> pieces_;
  std::size_t spans_needed_ = 2;
  std::optional<std::u16string_view> plain_text_;
};

// The text of a Replace, built match by match from left to right. A text longer than
// kMaxResultLength is a Failure, raised before the room for it is taken.
class ReplacedText {
 public:
  ReplacedText(std::u16string_view text, const ReplacementTemplate& expansion)
      : text_(text), expansion_(expansion) {
    // A long text's replacement is about as long, and grown match by match it would be copied
    // again at each doubling; a short one may still be held in place, without memory.
    constexpr std::size_t kLongText = 256;
    if (text.size() > kLongText) out_.reserve(text.size());
  }

  // The text from the end of the last match to the start of this one, then its expansion. A
  // plain expansion, the common case, is added in place: a replacement of every match in a long
  // cell adds many.
  void add_match(const std::size_t* spans) {
    const std::u16string_view before = text_.substr(copied_, spans[0] - copied_);
    const std::optional<std::u16string_view>& plain_text = expansion_.plain_text();
    const std::size_t expansion_length =
        plain_text ? plain_text->size() : expansion_.expansion_length(text_, spans);
    require_result_length(out_.size() + before.size() + expansion_length);
    out_ += before;
    if (plain_text) {
      out_ += *plain_text;
    } else {
      expansion_.append_expansion(out_, text_, spans);
    }
    copied_ = spans[1];
  }
  // What add_match built, then the text after the last match.
  std::u16string finish();

 private:
  std::u16string_view text_;
  const ReplacementTemplate& expansion_;
  std::u16string out_;
  std::size_t copied_ = 0;  // the text before this is in out_
};

}  // namespace kestrune::regexp_internal
