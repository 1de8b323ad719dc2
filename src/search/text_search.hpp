// TextSearch: the pattern search engine behind krSEARCH, krREPLACE, krCOUNTINCELL, krGETWORD
// and krCONCATULA.
//
// A member hands over the arguments it has, by reference; those it does not have are left out
// and read as their defaults without being built. The engine writes the defaults into the
// caller's omitted arguments, in slot order and before anything can fail, then reads every
// argument once into a typed request; the search itself works on that request alone. It
// translates the find text and the two context texts from the search syntax into one pattern,
// and then either replaces the first or every match (replace mode: replace_text given) or
// answers one of the result codes about the matches (search mode). Working from the right means
// searching the reversed text. Every failure answers not_found_return, except a search that
// could not finish (FailureKind::out_of_budget, or no memory): that is raised to the member, whose
// failure answer it is, so that it is never read as "no match" (a count of 0, for instance). The
// calling object's SearchMemory saves repeated translations.
//
//   SearchMemory memory;
//   Variant text = Variant::text(u"Order 42-A"), find = Variant::text(u"?-");
//   Variant code = Variant::number(3), not_found = Variant::missing();
//   Variant window = TextSearch(memory, {.string_to_search = &text, .find_text = &find,
//                                        .return_type = &code,
//                                        .not_found_return = &not_found});   // "2-"
#pragma once

#include <string>
#include <string_view>

#include "variant/variant.hpp"

namespace kestrune {

class SearchMemory;

// The caller's arguments; a null one is not an argument of the member and reads as its default.
// The text and the find text are always given.
struct TextSearchArguments {
  Variant* string_to_search = nullptr;
  Variant* find_text = nullptr;
  Variant* replace_text = nullptr;  // null or missing: search mode
  Variant* case_sensitive = nullptr;
  Variant* return_type = nullptr;  // in replace mode: replace_all
  Variant* find_before_text = nullptr;
  Variant* find_not_before_text = nullptr;
  Variant* return_position_offset = nullptr;
  Variant* return_length_offset = nullptr;
  Variant* search_from_right = nullptr;
  Variant* not_found_return = nullptr;
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
