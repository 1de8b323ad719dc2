// One search-mode call of TextSearch as the word and formula members make it, with the calling
// object's memory: the text, the find text, the case rule, a result code, the direction and the
// not-found value; no replacement, no contexts and no offsets. Internal to src/words.
//
//   Variant missing_case = Variant::missing(), from_left = Variant::missing();
//   Variant not_found = Variant::text(u"#VALUE!");
//   Variant pieces = search_mode_call(memory, text, separator, missing_case, ResultCode::pieces,
//                                     from_left, not_found);
#pragma once

#include "search/result_code.hpp"
#include "search/text_search.hpp"
#include "variant/variant.hpp"

namespace kestrune {

// The arguments are passed on by reference, so TextSearch writes its defaults into the ones
// that are missing. With `nth_piece`, the call answers that piece alone (TextSearchNthPiece).
Variant search_mode_call(SearchMemory& memory, Variant& string_to_search, Variant& find_text,
                         Variant& case_sensitive, ResultCode return_type,
                         Variant& search_from_right, Variant& not_found_return,
                         const Variant* nth_piece = nullptr);

}  // namespace kestrune
