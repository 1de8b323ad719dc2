#include "automation/member_table.hpp"

#include <array>
#include <type_traits>
#include <utility>

namespace kestrune {
namespace {

// How a member's return type reaches the caller.
template <typename Result>
constexpr ResultKind result_kind() {
  if constexpr (std::is_same_v<Result, Variant>) return ResultKind::variant;
  if constexpr (std::is_same_v<Result, std::u16string>) return ResultKind::text;
  if constexpr (std::is_void_v<Result>) return ResultKind::nothing;
}

template <auto method>
struct MethodTraits;

template <typename Result, typename... Parameters, Result (clsKestrune::*method)(Parameters...)>
struct MethodTraits<method> {
  static constexpr std::size_t kArity = sizeof...(Parameters);
  static constexpr ResultKind kResult = result_kind<Result>();
};

// Calls `method` with one argument per parameter and wraps its result as a Variant.
template <auto method, std::size_t... index>
Variant forward(clsKestrune& object, std::span<Variant> arguments, std::index_sequence<index...>) {
  constexpr ResultKind kKind = MethodTraits<method>::kResult;
  if constexpr (kKind == ResultKind::nothing) {
    (object.*method)(arguments[index]...);
    return Variant();
  } else if constexpr (kKind == ResultKind::text) {
    return Variant::text((object.*method)(arguments[index]...));
  } else {
    return (object.*method)(arguments[index]...);
  }
}

template <auto method>
Variant invoke(clsKestrune& object, std::span<Variant> arguments) {
  return forward<method>(object, arguments,
                         std::make_index_sequence<MethodTraits<method>::kArity>());
}

// A row of the table; the parameter list is checked against the method at compile time.
template <auto method, const auto& parameters>
constexpr MemberInfo member(int slot, std::int32_t dispatch_id, std::string_view name,
                            std::string_view description, std::string_view summary = {},
                            bool worksheet_function = true) {
  static_assert(std::size(parameters) == MethodTraits<method>::kArity,
                "one parameter row per argument of the method");
  return {slot,
          dispatch_id,
          name,
          parameters,
          MethodTraits<method>::kResult,
          description,
          summary,
          worksheet_function,
          &invoke<method>};
}

using P = ParameterInfo;
constexpr bool kRequired = false;
constexpr bool kOptional = true;
constexpr bool kByReference = true;
constexpr bool kGathersList = true;

// Help texts that several members share, word for word.
constexpr std::string_view kTextHelp = "The text to search: a text, a number or a single cell.";
constexpr std::string_view kFindTextHelp =
    "What to find. A question mark stands for any one character and an asterisk for any run of "
    "characters; a backslash before either makes it literal. Classes such as [0-9] and "
    "alternatives such as (cat|dog) work as in a regular expression.";
constexpr std::string_view kCaseHelp =
    "TRUE (the default) to match letter case exactly; FALSE to ignore it.";
constexpr std::string_view kNotFoundHelp =
    "What to return when nothing is found or an argument cannot be read. Default: the text "
    "#VALUE!.";
constexpr std::string_view kBeforeHelp =
    "A text that must follow the match directly, in the syntax of find_text. It is checked but "
    "not part of the match. Default: none.";
constexpr std::string_view kNotBeforeHelp =
    "A text that must not follow the match directly, in the syntax of find_text. Default: none.";

constexpr std::array<P, 0> kNoParameters{};
constexpr std::array kRegexParameters{
    P{"string_to_search", kRequired, kTextHelp},
    P{"regex", kRequired,
      "The regular expression, written as in a web browser's JavaScript, for example \\d+ or "
      "(\\w+)@(\\w+). It is used exactly as written."},
    P{"case_sensitive", kOptional, kCaseHelp},
    P{"replace_text", kOptional,
      "The text that replaces the matches: $1 to $99 insert groups, $& the whole match, $$ a "
      "dollar sign. Leave it out to report on the matches instead of replacing them."},
    P{"return_type", kOptional,
      "1 (default) the first match's position, 2 its length, 3 its text, 4 the number of "
      "matches, 5, 6, 7 arrays of every match's position, length, text. When replacing: -1 and "
      "4 to 7 replace every match, other values the first."},
    P{"not_found_return", kOptional, kNotFoundHelp}};
constexpr std::array kReverseParameters{
    P{"strInput", kRequired, "The text to reverse: a text, a number or a single cell."}};
constexpr std::array kSearchParameters{
    P{"string_to_search", kRequired, kTextHelp},
    P{"find_text", kRequired, kFindTextHelp},
    P{"case_sensitive", kOptional, kCaseHelp},
    P{"return_type", kOptional,
      "What to return, a code from 1 to 21: 1 (default) the first match's position, 3 its text, "
      "4 its length, 5 the text before it, 6 the text after it, 9 the number of matches, 18 the "
      "pieces between the matches. 99 shows the pattern."},
    P{"find_before_text", kOptional, kBeforeHelp},
    P{"find_not_before_text", kOptional, kNotBeforeHelp},
    P{"return_position_offset", kOptional,
      "A number added to the start of every match before it is reported or cut: 1 starts one "
      "character later, -1 one earlier. Default: 0."},
    P{"return_length_offset", kOptional,
      "A number added to the length of every match: 1 takes one character more, -1 one fewer. "
      "Default: 0."},
    P{"search_from_right", kOptional,
      "TRUE to search from the right end of the text: the first match is then the rightmost "
      "one. Default: FALSE."},
    P{"not_found_return", kOptional,
      "What to return when nothing is found or an argument cannot be read. Default: the text "
      "#VALUE!, or FALSE when return_type is 20."}};
constexpr std::array kReplaceParameters{
    P{"string_to_search", kRequired, kTextHelp},
    P{"find_text", kRequired, kFindTextHelp},
    P{"replace_text", kRequired,
      "The text that takes the match's place; it may be empty. $& inserts the match itself, $$ a "
      "dollar sign."},
    P{"case_sensitive", kOptional, kCaseHelp},
    P{"replace_all", kOptional,
      "TRUE to replace every match. Left out, FALSE or any number but -1: only the first match "
      "is replaced."},
    P{"find_before_text", kOptional, kBeforeHelp},
    P{"find_not_before_text", kOptional, kNotBeforeHelp},
    P{"search_from_right", kOptional,
      "TRUE to replace from the right end: the rightmost match is replaced first, and the "
      "replacement text comes out reversed. Default: FALSE."},
    P{"not_found_return", kOptional,
      "What to return when the find text does not occur or an argument cannot be read. Default: "
      "the text #VALUE!."}};
constexpr std::array kCountParameters{
    P{"cell_reference", kRequired, "The cell (or a text or number) to count in."},
    P{"find_text", kRequired, kFindTextHelp}, P{"case_sensitive", kOptional, kCaseHelp}};
constexpr std::array kGetWordParameters{
    P{"string_to_search", kRequired,
      "The text to take a word from: a text, a number or a single cell."},
    P{"nth_word", kRequired,
      "Which word to return: 1 for the first. A fraction is rounded to the nearest whole "
      "number."},
    P{"word_separator", kOptional,
      "What separates the words, in the syntax of krSEARCH's find_text. Default: any run of "
      "spaces or any run of tabs."},
    P{"case_sensitive", kOptional,
      "TRUE (the default) to match letters of the separator in the same case only; FALSE to "
      "ignore case."},
    P{"search_from_right", kOptional,
      "TRUE to count the words from the right end: 1 is then the last word. Default: FALSE."},
    P{"not_found_return", kOptional,
      "What to return when there is no such word (also when the text holds no separator at all) "
      "or an argument cannot be read. Default: the text #VALUE!."}};
constexpr std::array kOrdinalParameters{
    P{"num", kRequired,
      "The number, or a text ending in a digit, that the indicator belongs to: 21 gives 21st."},
    P{"exclude_num", kOptional,
      "TRUE to return the indicator alone (st, nd, rd or th). Default: FALSE."},
    P{"upper_case", kOptional, "TRUE to return the result in capitals (21ST). Default: FALSE."}};
constexpr std::array kFormulaParameters{
    P{"text_formula", kRequired,
      "A formula held as text, with or without a leading =: a number, one operator (+ - * / ^ = "
      "< > <= >= <>) and a number, such as 7*3.5 or 10>=2."}};
constexpr std::array kExcludeParameters{
    P{"exclude_list", kRequired,
      "The text first, then each character or text to remove from it as an argument of its own, "
      "matched exactly and case-sensitively.",
      kByReference, kGathersList}};
constexpr std::array kExtractParameters{
    P{"extract_list", kRequired,
      "The text first, then each character or text to keep from it as an argument of its own, "
      "matched exactly and case-sensitively.",
      kByReference, kGathersList}};

using K = clsKestrune;
constexpr bool kServiceMember = false;

// The descriptions are sent to the host exactly as they stand; stored workbooks' users have
// seen them so.
constexpr MemberInfo kMembers[] = {
    member<&K::krHelpfilePath, kNoParameters>(
        1, 0x60030000, "krHelpfilePath", {},
        "Returns the full path of the help file kestrune.chm, in the folder of kestrune.dll.",
        kServiceMember),
    member<&K::krREGEX, kRegexParameters>(
        2, 0x60030001, "krREGEX", {},
        "Applies a regular expression to text: reports where, how long, what and how many its "
        "matches are, or replaces them."),
    member<&K::Reverse, kReverseParameters>(
        3, 0x60030003, "Reverse", {}, "Returns a text with its characters in the opposite order.",
        kServiceMember),
    member<&K::krSEARCH, kSearchParameters>(4, 0x60030004, "krSEARCH",
                                            "Extremely versatile and flexible text search."),
    member<&K::krREPLACE, kReplaceParameters>(5, 0x60030005, "krREPLACE",
                                              "Extremely versatile and flexible text replacement."),
    member<&K::krCOUNTINCELL, kCountParameters>(
        6, 0x60030006, "krCOUNTINCELL",
        "Counts the occurrences of a given string in a worksheet cell, or within in any text "
        "string, allowing versatile and flexible criteria."),
    member<&K::krGETWORD, kGetWordParameters>(
        7, 0x60030007, "krGETWORD",
        "Returns the nth word in a string, with allowing versatile and flexible criteria for word "
        "separators."),
    member<&K::krST, kOrdinalParameters>(
        8, 0x60030008, "krST", "Returns the English ordinal indicator of a cardinal number."),
    member<&K::krCONCATULA, kFormulaParameters>(
        9, 0x60030009, "krCONCATULA",
        "Evaluates a concatenated formula, or any other all-text formula in which the operator "
        "is text."),
    member<&K::krEXCLUDE, kExcludeParameters>(10, 0x6003000E, "krEXCLUDE",
                                              "Excludes undesired characters from text."),
    member<&K::krEXCLUDENOTNUM, kExcludeParameters>(
        11, 0x6003000F, "krEXCLUDENOTNUM",
        "Excludes non-numeric and other undesired characters and/or digits from text."),
    member<&K::krEXTRACT, kExtractParameters>(12, 0x60030010, "krEXTRACT",
                                              "Retrieves desired characters from text."),
    member<&K::krEXTRACTNUM, kExtractParameters>(
        13, 0x60030011, "krEXTRACTNUM",
        "Retrieves numeric and other desired characters from text."),
    member<&K::krVERSION, kNoParameters>(14, 0x60030012, "krVERSION",
                                         "Returns the version number of kestrune."),
    member<&K::krTEST, kNoParameters>(15, 0x60030013, "krTEST",
                                      "Determines whether kestrune is working properly."),
    member<&K::krABOUT, kNoParameters>(16, 0x60030014, "krABOUT", {},
                                       "Shows the About box of kestrune.", kServiceMember),
};

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::size_t MemberInfo::required_parameters() const {
  std::size_t required = 0;
  for (const ParameterInfo& parameter : parameters) required += parameter.optional ? 0 : 1;
  return required;
}

bool MemberInfo::gathers_list() const {
  return parameters.size() == 1 && parameters.front().gathers_list;
}

std::string_view MemberInfo::one_line_description() const {
  return description.empty() ? summary : description;
}

std::span<const MemberInfo> members() { return kMembers; }

const MemberInfo* find_member(std::string_view name) {
  for (const MemberInfo& member : kMembers) {
    if (same_name(member.name, name)) return &member;
  }
  return nullptr;
}

const MemberInfo* find_member(std::int32_t dispatch_id) {
  for (const MemberInfo& member : kMembers) {
    if (member.dispatch_id == dispatch_id) return &member;
  }
  return nullptr;
}

}  // namespace kestrune
