// clsKestrune: the worksheet function class, with its sixteen members in slot order.
//
// Each member is one worksheet function or service call. Arguments arrive by reference, as the
// automation interface passes them, and a member may write a default into an omitted argument.
// Every member is defined in cls_kestrune.cpp, as a thin call of its subsystem's worker;
// member_table.hpp declares each of them once and reaches them by name or dispatch id.
//
//   clsKestrune object;
//   Variant text = Variant::text(u"a-b-c"), find = Variant::text(u"-");
//   Variant position = object.krSEARCH(text, find, missing...);   // 2
#pragma once

#include <memory>
#include <string>

#include "variant/variant.hpp"

namespace kestrune {

class RegExp;
class SearchMemory;

class clsKestrune {
 public:
  clsKestrune();
  ~clsKestrune();
  clsKestrune(const clsKestrune&) = delete;
  clsKestrune& operator=(const clsKestrune&) = delete;

  std::u16string krHelpfilePath();
  Variant krREGEX(Variant& string_to_search, Variant& regex, Variant& case_sensitive,
                  Variant& replace_text, Variant& return_type, Variant& not_found_return);
  std::u16string Reverse(Variant& strInput);
  Variant krSEARCH(Variant& string_to_search, Variant& find_text, Variant& case_sensitive,
                   Variant& return_type, Variant& find_before_text, Variant& find_not_before_text,
                   Variant& return_position_offset, Variant& return_length_offset,
                   Variant& search_from_right, Variant& not_found_return);
  Variant krREPLACE(Variant& string_to_search, Variant& find_text, Variant& replace_text,
                    Variant& case_sensitive, Variant& replace_all, Variant& find_before_text,
                    Variant& find_not_before_text, Variant& search_from_right,
                    Variant& not_found_return);
  Variant krCOUNTINCELL(Variant& cell_reference, Variant& find_text, Variant& case_sensitive);
  Variant krGETWORD(Variant& string_to_search, Variant& nth_word, Variant& word_separator,
                    Variant& case_sensitive, Variant& search_from_right, Variant& not_found_return);
  Variant krST(Variant& num, Variant& exclude_num, Variant& upper_case);
  Variant krCONCATULA(Variant& text_formula);
  std::u16string krEXCLUDE(Variant& exclude_list);
  std::u16string krEXCLUDENOTNUM(Variant& exclude_list);
  std::u16string krEXTRACT(Variant& extract_list);
  std::u16string krEXTRACTNUM(Variant& extract_list);
  std::u16string krVERSION();
  std::u16string krTEST();
  void krABOUT();

 private:
  // What the object's searches keep between calls (search/search_memory.hpp); invisible to
  // callers.
  std::unique_ptr<SearchMemory> search_memory_;
  // krREGEX's matcher, kept so that a column of calls neither makes one per call nor searches
  // a text again that it has just searched with the same pattern.
  std::unique_ptr<RegExp> regex_matcher_;
};

}  // namespace kestrune
