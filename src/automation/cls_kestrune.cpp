// Every member of clsKestrune, each handing its arguments to its worker. krSEARCH, krREPLACE
// and krCOUNTINCELL hand TextSearch the arguments they have; the others call the body of their
// own subsystem.
#include "automation/cls_kestrune.hpp"

#include <vector>

#include "automation/member_table.hpp"
#include "filters/char_filters.hpp"
#include "host/frm_about.hpp"
#include "host/frm_graphics.hpp"
#include "host/function_descriptions.hpp"
#include "host/help_file.hpp"
#include "regex_function/regex_function.hpp"
#include "regexp/regexp.hpp"
#include "search/result_code.hpp"
#include "search/search_memory.hpp"
#include "search/text_search.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/mdl_constants.hpp"
#include "words/nth_word.hpp"
#include "words/ordinal_suffix.hpp"
#include "words/text_formula.hpp"

namespace kestrune {
namespace {

// What the host is told, in the order it is told: the add-in's described worksheet functions
// (their texts are in the member table), then its information macro.
constexpr std::string_view kDescriptionOrder[] = {
    "krSEARCH",  "krREPLACE",    "krCOUNTINCELL", "krGETWORD",   "krEXCLUDE", "krEXCLUDENOTNUM",
    "krEXTRACT", "krEXTRACTNUM", "krST",          "krCONCATULA", "krTEST",    "krVERSION"};
// Sent exactly as it stands; stored workbooks' users have seen it so.
constexpr MacroDescription kInformationMacro{
    "More_Information",
    "For more information on kestrune worksheet functions, go to the Tools menu and choose "
    "'kestrune' | 'kestrune Help and Function Reference'. Or, browse to "
    "https://www.kestrune.com and click on 'Function Reference'."};

const std::vector<MacroDescription>& host_descriptions() {
  static const std::vector<MacroDescription> descriptions = [] {
    std::vector<MacroDescription> list;
    for (std::string_view name : kDescriptionOrder) {
      list.push_back({name, find_member(name)->description});
    }
    list.push_back(kInformationMacro);
    return list;
  }();
  return descriptions;
}

}  // namespace

clsKestrune::clsKestrune()
    : search_memory_(std::make_unique<SearchMemory>()), regex_matcher_(std::make_unique<RegExp>()) {
  start_function_descriptions(host_descriptions());
}

clsKestrune::~clsKestrune() = default;

std::u16string clsKestrune::krHelpfilePath() { return help_file_path(); }

Variant clsKestrune::krREGEX(Variant& string_to_search, Variant& regex, Variant& case_sensitive,
                             Variant& replace_text, Variant& return_type,
                             Variant& not_found_return) {
  return apply_regex(*regex_matcher_, string_to_search, regex, case_sensitive, replace_text,
                     return_type, not_found_return);
}

std::u16string clsKestrune::Reverse(Variant& strInput) { return reverse_text(to_text(strInput)); }

Variant clsKestrune::krSEARCH(Variant& string_to_search, Variant& find_text,
                              Variant& case_sensitive, Variant& return_type,
                              Variant& find_before_text, Variant& find_not_before_text,
                              Variant& return_position_offset, Variant& return_length_offset,
                              Variant& search_from_right, Variant& not_found_return) {
  return answer_or_not_found_return(not_found_return, [&] {
    return TextSearch(*search_memory_, {.string_to_search = &string_to_search,
                                        .find_text = &find_text,
                                        .case_sensitive = &case_sensitive,
                                        .return_type = &return_type,
                                        .find_before_text = &find_before_text,
                                        .find_not_before_text = &find_not_before_text,
                                        .return_position_offset = &return_position_offset,
                                        .return_length_offset = &return_length_offset,
                                        .search_from_right = &search_from_right,
                                        .not_found_return = &not_found_return});
  });
}

Variant clsKestrune::krREPLACE(Variant& string_to_search, Variant& find_text, Variant& replace_text,
                               Variant& case_sensitive, Variant& replace_all,
                               Variant& find_before_text, Variant& find_not_before_text,
                               Variant& search_from_right, Variant& not_found_return) {
  return answer_or_not_found_return(not_found_return, [&] {
    return TextSearch(*search_memory_, {.string_to_search = &string_to_search,
                                        .find_text = &find_text,
                                        .replace_text = &replace_text,
                                        .case_sensitive = &case_sensitive,
                                        .return_type = &replace_all,
                                        .find_before_text = &find_before_text,
                                        .find_not_before_text = &find_not_before_text,
                                        .search_from_right = &search_from_right,
                                        .not_found_return = &not_found_return});
  });
}

Variant clsKestrune::krCOUNTINCELL(Variant& cell_reference, Variant& find_text,
                                   Variant& case_sensitive) {
  return answer_or_value_error([&] {
    Variant count = result_code_argument(ResultCode::match_count);
    Variant zero = Variant::number(0);
    return TextSearch(*search_memory_, {.string_to_search = &cell_reference,
                                        .find_text = &find_text,
                                        .case_sensitive = &case_sensitive,
                                        .return_type = &count,
                                        .not_found_return = &zero});
  });
}

Variant clsKestrune::krGETWORD(Variant& string_to_search, Variant& nth_word,
                               Variant& word_separator, Variant& case_sensitive,
                               Variant& search_from_right, Variant& not_found_return) {
  return get_word(*search_memory_, string_to_search, nth_word, word_separator, case_sensitive,
                  search_from_right, not_found_return);
}

Variant clsKestrune::krST(Variant& num, Variant& exclude_num, Variant& upper_case) {
  return ordinal_suffix(num, exclude_num, upper_case);
}

Variant clsKestrune::krCONCATULA(Variant& text_formula) {
  return evaluate_text_formula(*search_memory_, text_formula);
}

std::u16string clsKestrune::krEXCLUDE(Variant& exclude_list) {
  return exclude_from_list(exclude_list, NumericSwitch::off);
}

std::u16string clsKestrune::krEXCLUDENOTNUM(Variant& exclude_list) {
  return exclude_from_list(exclude_list, NumericSwitch::on);
}

std::u16string clsKestrune::krEXTRACT(Variant& extract_list) {
  return extract_from_list(extract_list, NumericSwitch::off);
}

std::u16string clsKestrune::krEXTRACTNUM(Variant& extract_list) {
  return extract_from_list(extract_list, NumericSwitch::on);
}

std::u16string clsKestrune::krVERSION() { return std::u16string(mdl_Constants::version); }

std::u16string clsKestrune::krTEST() {
  return u"Welcome to kestrune " + std::u16string(mdl_Constants::version) + u"!";
}

void clsKestrune::krABOUT() { show_frmAbout(); }

}  // namespace kestrune
