// krGETWORD: the nth word of a text, the words being the non-empty pieces between separators.
#include "words/nth_word.hpp"
#include "search/search_memory.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/mdl_constants.hpp"
#include "words/search_mode_call.hpp"

namespace kestrune {
namespace {

// In the search syntax: a run of blanks, or a run of tabs. Written into every call's omitted
// separator and longer than a Variant holds in place: the argument refers to it, uncopied.
const LastingText default_separator(u"( {1,}|\t{1,})");

}  // namespace

Variant get_word(SearchMemory& memory, Variant& string_to_search, Variant& nth_word,
                 Variant& word_separator, Variant& case_sensitive, Variant& search_from_right,
                 Variant& not_found_return) {
  return answer_or_not_found_return(not_found_return, [&] {
    word_separator.default_lasting_text(default_separator);
    not_found_return.default_lasting_text(mdl_Constants::value_error);
    // The words are the pieces that are not empty; a text without the separator has none.
    return search_mode_call(memory, string_to_search, word_separator, case_sensitive,
                            ResultCode::pieces, search_from_right, not_found_return, &nth_word);
  });
}

}  // namespace kestrune
