#include "words/search_mode_call.hpp"

#include "search/text_search.hpp"

namespace kestrune {

Variant search_mode_call(SearchMemory& memory, Variant& string_to_search, Variant& find_text,
                         Variant& case_sensitive, ResultCode return_type,
                         Variant& search_from_right, Variant& not_found_return,
                         const Variant* nth_piece) {
  Variant search_mode = Variant::missing();
  Variant code = result_code_argument(return_type);
  Variant no_before = Variant::missing(), no_not_before = Variant::missing();
  Variant no_position_offset = Variant::missing(), no_length_offset = Variant::missing();
  const TextSearchArguments arguments{
      string_to_search, find_text,     search_mode,        case_sensitive,   code,
      no_before,        no_not_before, no_position_offset, no_length_offset, search_from_right,
      not_found_return};
  return nth_piece ? TextSearchNthPiece(memory, arguments, *nth_piece)
                   : TextSearch(memory, arguments);
}

}  // namespace kestrune
