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
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "regexp/pattern_tree.hpp"

namespace kestrune::regexp_internal {

class ReplacementTemplate {
 public:
  ReplacementTemplate(std::u16string_view replacement, std::uint32_t group_count,
                      const GroupNames& group_names);

  // Appends the expansion for the match whose group spans are `spans` (CompiledPattern::find).
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

  std::vector<Piece> pieces_;
};

}  // namespace kestrune::regexp_internal
