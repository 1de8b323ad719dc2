// krGETWORD: the nth word of a text, the words being the non-empty pieces between separators.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/search_memory.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/mdl_constants.hpp"
#include "words/nth_word.hpp"
#include "words/search_mode_call.hpp"

namespace kestrune {
namespace {

// In the search syntax: a run of blanks, or a run of tabs.
constexpr std::u16string_view kDefaultSeparator = u"( {1,}|\t{1,})";

// The nth piece of the list that is not the empty text, taken out of the list.
std::optional<Variant> nth_word_of(std::vector<Variant>& pieces, std::int32_t n) {
  std::int32_t words = 0;
  for (Variant& piece : pieces) {
    if (!equals_empty_text(piece) && ++words == n) return std::move(piece);
  }
  return std::nullopt;
}

}  // namespace

Variant get_word(SearchMemory& memory, Variant& string_to_search, Variant& nth_word,
                 Variant& word_separator, Variant& case_sensitive, Variant& search_from_right,
                 Variant& not_found_return) {
  return answer_or_not_found_return(not_found_return, [&] {
    if (word_separator.is_missing()) {
      word_separator = Variant::text(std::u16string(kDefaultSeparator));
    }
    if (not_found_return.is_missing()) {
      not_found_return = Variant::text(std::u16string(mdl_Constants::value_error_text));
    }
    // The pieces are left in the search memory, and TextSearch answers their number. It answers
    // a text without the separator with its not-found value: a null stands in for the caller's
    // not_found_return there, so that one given as a number is never taken for a count.
    Variant no_pieces = Variant::null();
    const Variant piece_count = search_mode_call(
        memory, string_to_search, word_separator, case_sensitive, ResultCode::pieces,
        search_from_right, no_pieces, ListLayout::kept_in_memory);
    if (!piece_count.is_numeric()) return not_found_return;
    const std::int32_t n = round_to_whole(to_number(nth_word));
    if (n < 1) return not_found_return;
    std::optional<Variant> word = nth_word_of(memory.list(), n);
    return word ? std::move(*word) : not_found_return;
  });
}

}  // namespace kestrune
