// krSEARCH, krREPLACE, krCOUNTINCELL and Reverse: thin arrangements of TextSearch's eleven
// arguments.
#include "automation/calling_pattern.hpp"
#include "automation/cls_kestrune.hpp"
#include "automation/conversions.hpp"
#include "search/search_memory.hpp"
#include "search/text_search.hpp"

namespace kestrune {

Variant clsKestrune::krSEARCH(Variant& string_to_search, Variant& find_text,
                              Variant& case_sensitive, Variant& return_type,
                              Variant& find_before_text, Variant& find_not_before_text,
                              Variant& return_position_offset, Variant& return_length_offset,
                              Variant& search_from_right, Variant& not_found_return) {
  return answer_or_not_found_return(not_found_return, [&] {
    Variant search_mode = Variant::missing();
    return TextSearch(*search_memory_,
                      {string_to_search, find_text, search_mode, case_sensitive, return_type,
                       find_before_text, find_not_before_text, return_position_offset,
                       return_length_offset, search_from_right, not_found_return});
  });
}

Variant clsKestrune::krREPLACE(Variant& string_to_search, Variant& find_text, Variant& replace_text,
                               Variant& case_sensitive, Variant& replace_all,
                               Variant& find_before_text, Variant& find_not_before_text,
                               Variant& search_from_right, Variant& not_found_return) {
  return answer_or_not_found_return(not_found_return, [&] {
    Variant no_position_offset = Variant::missing();
    Variant no_length_offset = Variant::missing();
    return TextSearch(*search_memory_,
                      {string_to_search, find_text, replace_text, case_sensitive, replace_all,
                       find_before_text, find_not_before_text, no_position_offset, no_length_offset,
                       search_from_right, not_found_return});
  });
}

Variant clsKestrune::krCOUNTINCELL(Variant& cell_reference, Variant& find_text,
                                   Variant& case_sensitive) {
  return answer_or_value_error([&] {
    Variant search_mode = Variant::missing();
    Variant count = Variant::number(return_code::kMatchCount);
    Variant no_before = Variant::missing(), no_not_before = Variant::missing();
    Variant no_position_offset = Variant::missing(), no_length_offset = Variant::missing();
    Variant from_left = Variant::missing();
    Variant zero = Variant::number(0);
    return TextSearch(*search_memory_,
                      {cell_reference, find_text, search_mode, case_sensitive, count, no_before,
                       no_not_before, no_position_offset, no_length_offset, from_left, zero});
  });
}

std::u16string clsKestrune::Reverse(Variant& strInput) { return reverse_text(to_text(strInput)); }

}  // namespace kestrune
