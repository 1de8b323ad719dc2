// TextSearch: the pattern search engine behind krSEARCH, krREPLACE, krCOUNTINCELL, krGETWORD
// and krCONCATULA.
//
// It takes eleven arguments by reference, fills the omitted ones with their defaults in place,
// translates the find text and the two context texts from the search syntax into one pattern,
// and then either replaces the first or every match (replace mode: replace_text given) or
// answers one of the result codes about the matches (search mode). Working from the right means
// searching the reversed text. Every failure answers not_found_return, except a search that
// could not finish (FailureKind::out_of_budget, or no memory): that is raised to the member, whose
// failure answer it is, so that it is never read as "no match" (a count of 0, for instance). The
// calling object's SearchMemory saves repeated translations and searches.
//
//   SearchMemory memory;
//   Variant missing = Variant::missing();
//   Variant text = Variant::text(u"Order 42-A"), find = Variant::text(u"?-");
//   Variant code = Variant::number(3);
//   Variant a = missing, b = missing, ...;
//   Variant window = TextSearch(memory, {text, find, a, b, code, ...});   // "2-"
#pragma once

#include <string>
#include <string_view>

#include "variant/variant.hpp"

namespace kestrune {

class SearchMemory;

struct TextSearchArguments {
  Variant& string_to_search;
  Variant& find_text;
  Variant& replace_text;  // missing: search mode
  Variant& case_sensitive;
  Variant& return_type;  // in replace mode: replace_all
  Variant& find_before_text;
  Variant& find_not_before_text;
  Variant& return_position_offset;
  Variant& return_length_offset;
  Variant& search_from_right;
  Variant& not_found_return;
};

Variant TextSearch(SearchMemory& memory, const TextSearchArguments& arguments);

// A search-mode call with result code 18 (the pieces) that answers one item of the list: the nth
// piece that is not empty, with n read from `nth` once the text is known to have a match, and
// not_found_return when there are fewer. Only the matches up to that piece are looked for, so a
// member that wants one word of a long text (krGETWORD) neither cuts nor keeps the rest.
Variant TextSearchNthPiece(SearchMemory& memory, const TextSearchArguments& arguments,
                           const Variant& nth);

// The characters of `text` in the opposite order, unit by unit, of any length.
std::u16string reverse_text(std::u16string_view text);

}  // namespace kestrune
