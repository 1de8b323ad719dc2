#include "cli/suggestion.hpp"

#include <algorithm>
#include <numeric>

#include "automation/member_table.hpp"

namespace kestrune::cli {
namespace {

// Any name this close is a likely misspelling, however short it is...
constexpr std::size_t kAlwaysNearEnough = 2;
// ...and a longer one may be off by up to one character in this many.
constexpr std::size_t kCharactersPerEdit = 3;

char folded(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool same_letter(char a, char b) { return folded(a) == folded(b); }

std::size_t greatest_near_distance(std::string_view word) {
  return std::max(kAlwaysNearEnough, word.size() / kCharactersPerEdit);
}

}  // namespace

bool same_name(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, same_letter);
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
  // Three rows of the classic table suffice: a swap looks two rows back.
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> before_previous(width), previous(width), current(width);
  std::iota(previous.begin(), previous.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitution = same_letter(a[i - 1], b[j - 1]) ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + substitution});
      if (i > 1 && j > 1 && same_letter(a[i - 1], b[j - 2]) && same_letter(a[i - 2], b[j - 1])) {
        current[j] = std::min(current[j], before_previous[j - 2] + 1);
      }
    }
    std::swap(before_previous, previous);
    std::swap(previous, current);
  }
  return previous[b.size()];
}

std::optional<std::string_view> nearest_name(std::string_view word,
                                             std::span<const std::string_view> candidates) {
  std::optional<std::string_view> nearest;
  std::size_t nearest_distance = greatest_near_distance(word) + 1;
  for (const std::string_view candidate : candidates) {
    if (same_name(word, candidate)) return std::nullopt;
    const std::size_t distance = edit_distance(word, candidate);
    // A name that differs in every character is no misspelling of it.
    if (distance < nearest_distance && distance < std::max(word.size(), candidate.size())) {
      nearest = candidate;
      nearest_distance = distance;
    }
  }
  return nearest;
}

std::string did_you_mean(std::string_view word, std::span<const std::string_view> candidates) {
  const std::optional<std::string_view> nearest = nearest_name(word, candidates);
  return nearest ? " (did you mean " + std::string(*nearest) + "?)" : std::string();
}

std::vector<std::string_view> member_names() {
  std::vector<std::string_view> names;
  for (const MemberInfo& member : members()) names.push_back(member.name);
  return names;
}

}  // namespace kestrune::cli
