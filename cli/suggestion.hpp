// Suggestions for a misspelt name: the nearest of the names the program knows, compared in any
// letter case.
//
//   no member named krSERCH (did you mean krSEARCH?)
//   std::string message = "no member named " + name + did_you_mean(name, member_names());
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::cli {

// Whether two names are the same in ASCII letter case.
bool same_name(std::string_view a, std::string_view b);

// The optimal-string-alignment distance (insertions, deletions, substitutions and swaps of two
// neighbouring characters) between two names, ignoring ASCII letter case.
std::size_t edit_distance(std::string_view a, std::string_view b);

// The candidate nearest to `word`, when it is near enough to be taken for a slip of the
// fingers; nothing when none is (or when `word` is a candidate itself).
std::optional<std::string_view> nearest_name(std::string_view word,
                                             std::span<const std::string_view> candidates);

// " (did you mean X?)" for the nearest candidate, or the empty text when there is none.
std::string did_you_mean(std::string_view word, std::span<const std::string_view> candidates);

// The names of the members, in slot order.
std::vector<std::string_view> member_names();

}  // namespace kestrune::cli
