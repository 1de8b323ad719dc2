#include "automation/dispatch_table.hpp"

#include <array>

namespace kestrune {
namespace {

using P = ParameterInfo;

constexpr std::array<P, 0> kNoParameters{};
constexpr std::array kRegexParameters{P{"string_to_search", false}, P{"regex", false},
                                      P{"case_sensitive", true},    P{"replace_text", true},
                                      P{"return_type", true},       P{"not_found_return", true}};
constexpr std::array kReverseParameters{P{"strInput", false}};
constexpr std::array kSearchParameters{
    P{"string_to_search", false},      P{"find_text", false},
    P{"case_sensitive", true},         P{"return_type", true},
    P{"find_before_text", true},       P{"find_not_before_text", true},
    P{"return_position_offset", true}, P{"return_length_offset", true},
    P{"search_from_right", true},      P{"not_found_return", true}};
constexpr std::array kReplaceParameters{
    P{"string_to_search", false},    P{"find_text", false},        P{"replace_text", false},
    P{"case_sensitive", true},       P{"replace_all", true},       P{"find_before_text", true},
    P{"find_not_before_text", true}, P{"search_from_right", true}, P{"not_found_return", true}};
constexpr std::array kCountParameters{P{"cell_reference", false}, P{"find_text", false},
                                      P{"case_sensitive", true}};
constexpr std::array kGetWordParameters{P{"string_to_search", false}, P{"nth_word", false},
                                        P{"word_separator", true},    P{"case_sensitive", true},
                                        P{"search_from_right", true}, P{"not_found_return", true}};
constexpr std::array kOrdinalParameters{P{"num", false}, P{"exclude_num", true},
                                        P{"upper_case", true}};
constexpr std::array kFormulaParameters{P{"text_formula", false}};
constexpr std::array kExcludeParameters{P{"exclude_list", false}};
constexpr std::array kExtractParameters{P{"extract_list", false}};

Variant text_result(std::u16string text) { return Variant::text(std::move(text)); }

constexpr MemberInfo kMembers[] = {
    {1, 0x60030000, "krHelpfilePath", kNoParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant>) { return text_result(o.krHelpfilePath()); }},
    {2, 0x60030001, "krREGEX", kRegexParameters, ResultKind::variant,
     [](clsKestrune& o, std::span<Variant> a) {
       return o.krREGEX(a[0], a[1], a[2], a[3], a[4], a[5]);
     }},
    {3, 0x60030003, "Reverse", kReverseParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant> a) { return text_result(o.Reverse(a[0])); }},
    {4, 0x60030004, "krSEARCH", kSearchParameters, ResultKind::variant,
     [](clsKestrune& o, std::span<Variant> a) {
       return o.krSEARCH(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
     }},
    {5, 0x60030005, "krREPLACE", kReplaceParameters, ResultKind::variant,
     [](clsKestrune& o, std::span<Variant> a) {
       return o.krREPLACE(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
     }},
    {6, 0x60030006, "krCOUNTINCELL", kCountParameters, ResultKind::variant,
     [](clsKestrune& o, std::span<Variant> a) { return o.krCOUNTINCELL(a[0], a[1], a[2]); }},
    {7, 0x60030007, "krGETWORD", kGetWordParameters, ResultKind::variant,
     [](clsKestrune& o, std::span<Variant> a) {
       return o.krGETWORD(a[0], a[1], a[2], a[3], a[4], a[5]);
     }},
    {8, 0x60030008, "krST", kOrdinalParameters, ResultKind::variant,
     [](clsKestrune& o, std::span<Variant> a) { return o.krST(a[0], a[1], a[2]); }},
    {9, 0x60030009, "krCONCATULA", kFormulaParameters, ResultKind::variant,
     [](clsKestrune& o, std::span<Variant> a) { return o.krCONCATULA(a[0]); }},
    {10, 0x6003000E, "krEXCLUDE", kExcludeParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant> a) { return text_result(o.krEXCLUDE(a[0])); }},
    {11, 0x6003000F, "krEXCLUDENOTNUM", kExcludeParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant> a) { return text_result(o.krEXCLUDENOTNUM(a[0])); }},
    {12, 0x60030010, "krEXTRACT", kExtractParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant> a) { return text_result(o.krEXTRACT(a[0])); }},
    {13, 0x60030011, "krEXTRACTNUM", kExtractParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant> a) { return text_result(o.krEXTRACTNUM(a[0])); }},
    {14, 0x60030012, "krVERSION", kNoParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant>) { return text_result(o.krVERSION()); }},
    {15, 0x60030013, "krTEST", kNoParameters, ResultKind::text,
     [](clsKestrune& o, std::span<Variant>) { return text_result(o.krTEST()); }},
    {16, 0x60030014, "krABOUT", kNoParameters, ResultKind::nothing,
     [](clsKestrune& o, std::span<Variant>) {
       o.krABOUT();
       return Variant();
     }},
};

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

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
