#include "words/search_mode_call.hpp"

#include "search/text_search.hpp"

namespace kestrune {

Variant search_mode_call(SearchMemory& memory, Variant& string_to_search, Variant& find_text,
                         Variant& case_sensitive, ResultCode return_type,
                         Variant& search_from_right, Variant& not_found_return,
                         const Variant* nth_piece) {
  Variant code = result_code_argument(return_type);
  const TextSearchArguments arguments{.string_to_search = &string_to_search,
                                      .find_text = &find_text,
                                      .case_sensitive = &case_sensitive,
                                      .return_type = &code,
                                      .search_from_right = &search_from_right,
                                      .not_found_return = &not_found_return};
  return nth_piece ? TextSearchNthPiece(memory, arguments, *nth_piece)
                   : TextSearch(memory, arguments);
}

}  // namespace kestrune
