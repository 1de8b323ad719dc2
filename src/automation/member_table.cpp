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
                            std::string_view description = {}, bool worksheet_function = true) {
  static_assert(std::size(parameters) == MethodTraits<method>::kArity,
                "one parameter row per argument of the method");
  return {slot,        dispatch_id,        name,           parameters, MethodTraits<method>::kResult,
          description, worksheet_function, &invoke<method>};
}

using P = ParameterInfo;
constexpr bool kRequired = false;
constexpr bool kOptional = true;

constexpr std::array<P, 0> kNoParameters{};
constexpr std::array kRegexParameters{
    P{"string_to_search", kRequired}, P{"regex", kRequired},
    P{"case_sensitive", kOptional},   P{"replace_text", kOptional},
    P{"return_type", kOptional},      P{"not_found_return", kOptional}};
constexpr std::array kReverseParameters{P{"strInput", kRequired}};
constexpr std::array kSearchParameters{
    P{"string_to_search", kRequired},       P{"find_text", kRequired},
    P{"case_sensitive", kOptional},         P{"return_type", kOptional},
    P{"find_before_text", kOptional},       P{"find_not_before_text", kOptional},
    P{"return_position_offset", kOptional}, P{"return_length_offset", kOptional},
    P{"search_from_right", kOptional},      P{"not_found_return", kOptional}};
constexpr std::array kReplaceParameters{
    P{"string_to_search", kRequired},     P{"find_text", kRequired},
    P{"replace_text", kRequired},         P{"case_sensitive", kOptional},
    P{"replace_all", kOptional},          P{"find_before_text", kOptional},
    P{"find_not_before_text", kOptional}, P{"search_from_right", kOptional},
    P{"not_found_return", kOptional}};
constexpr std::array kCountParameters{P{"cell_reference", kRequired}, P{"find_text", kRequired},
                                      P{"case_sensitive", kOptional}};
constexpr std::array kGetWordParameters{
    P{"string_to_search", kRequired},  P{"nth_word", kRequired},
    P{"word_separator", kOptional},    P{"case_sensitive", kOptional},
    P{"search_from_right", kOptional}, P{"not_found_return", kOptional}};
constexpr std::array kOrdinalParameters{P{"num", kRequired}, P{"exclude_num", kOptional},
                                        P{"upper_case", kOptional}};
constexpr std::array kFormulaParameters{P{"text_formula", kRequired}};
constexpr std::array kExcludeParameters{P{"exclude_list", kRequired, true, true}};
constexpr std::array kExtractParameters{P{"extract_list", kRequired, true, true}};

using K = clsKestrune;
constexpr bool kServiceMember = false;

// The descriptions are sent to the host exactly as they stand; stored workbooks' users have
// seen them so.
constexpr MemberInfo kMembers[] = {
    member<&K::krHelpfilePath, kNoParameters>(1, 0x60030000, "krHelpfilePath", {}, kServiceMember),
    member<&K::krREGEX, kRegexParameters>(2, 0x60030001, "krREGEX"),
    member<&K::Reverse, kReverseParameters>(3, 0x60030003, "Reverse", {}, kServiceMember),
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
    member<&K::krABOUT, kNoParameters>(16, 0x60030014, "krABOUT", {}, kServiceMember),
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
