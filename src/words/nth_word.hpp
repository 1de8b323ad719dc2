// krGETWORD's body: the nth word of a text, the words being the non-empty pieces between
// separators (by default runs of blanks or of tabs; any search-syntax text otherwise), counted
// from the left or, with search_from_right, from the right. A text without such a word, and
// every failure, answer not_found_return. The arguments are the member's, by reference.
//
//   Variant text = Variant::text(u"one two three"), n = Variant::number(2);
//   Variant missing = Variant::missing(), nf = Variant::missing();
//   get_word(memory, text, n, missing, missing, missing, nf);   // "two"
#pragma once

#include "search/search_memory.hpp"
#include "variant/variant.hpp"

namespace kestrune {

Variant get_word(SearchMemory& memory, Variant& string_to_search, Variant& nth_word,
                 Variant& word_separator, Variant& case_sensitive, Variant& search_from_right,
                 Variant& not_found_return);

}  // namespace kestrune
