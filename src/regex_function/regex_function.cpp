// krREGEX: a regular expression written by the user, applied to a text.
//
// One call either reports on the matches (the first match's position, length or text, the
// number of matches, or arrays of the positions, lengths or texts of all matches) or returns the
// text with the first or every match replaced. The pattern and the replacement reach the
// regular-expression service unchanged. A text without a match and every failure answer the
// caller's not_found_return.
#include <optional>
#include <utility>

#include "regex_function/regex_function.hpp"
#include "regexp/regexp.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/mdl_constants.hpp"

namespace kestrune {
namespace {

// The return types krREGEX knows. -1 and 0 pick a replacement (every match, first match) and
// otherwise report like 1.
enum ReturnType : int {
  every_match_replaced = -1,
  first_match_replaced = 0,
  first_position = 1,
  first_length = 2,
  first_value = 3,
  match_count = 4,
  all_positions = 5,
  all_lengths = 6,
  all_values = 7,
};

// The known return types are the whole numbers from every_match_replaced to all_values.
std::optional<ReturnType> known_return_type(const Variant& return_type) {
  if (return_type.is_object()) return known_return_type(dereference(return_type));
  if (return_type.is_null()) return std::nullopt;  // equal to no number
  const std::optional<int> code =
      whole_number_within(plain_number(return_type), every_match_replaced, all_values);
  if (!code) return std::nullopt;
  return ReturnType(*code);
}

// Whether the call replaces (rather than reports), settling a missing return_type on the way.
// An empty replacement replaces only under return type 0 or -1 (or none given), so that it can
// delete matches while the other return types still report.
bool settle_replacement(const Variant& replace_text, Variant& return_type) {
  if (replace_text.is_missing()) {
    return_type.default_number(first_position);
    return false;
  }
  if (!equals_empty_text(replace_text)) {
    return_type.default_number(first_match_replaced);
    return true;
  }
  if (return_type.is_missing()) {
    return_type = Variant::number(first_match_replaced);
    return true;
  }
  const std::optional<ReturnType> code = known_return_type(return_type);
  return code == every_match_replaced || code == first_match_replaced;
}

// Return types that need every match: replacing all of them, counting them, listing them.
bool needs_every_match(std::optional<ReturnType> code) {
  return code == every_match_replaced || code == match_count || code == all_positions ||
         code == all_lengths || code == all_values;
}

Variant position_of(const Match& match) { return Variant::number(double(match.FirstIndex) + 1); }
Variant length_of(const Match& match) { return Variant::number(double(match.Length)); }
Variant value_of(const Match& match) { return Variant::text(std::u16string(match.Value)); }

// One element per match, in match order, indexed from 1.
Variant each_match(const MatchCollection& matches, Variant (*field)(const Match&)) {
  Array table = Array::one_dimensional(matches.Count());
  std::size_t i = 0;
  for (const Match& match : matches) table.elements()[i++] = field(match);
  return Variant::array(std::move(table));
}

// Return types that list every match; every other report is about the first match.
bool lists_every_match(std::optional<ReturnType> code) {
  return code == all_positions || code == all_lengths || code == all_values;
}

// The report on the first match: any return type that is not 2 or 3 reports as 1.
Variant report_first(const Match& match, std::optional<ReturnType> code) {
  switch (code.value_or(first_position)) {
    case first_length:
      return length_of(match);
    case first_value:
      return value_of(match);
    default:
      return position_of(match);
  }
}

// The report on every match, for return types 5 to 7.
Variant report_all(const MatchCollection& matches, ReturnType code) {
  switch (code) {
    case all_positions:
      return each_match(matches, position_of);
    case all_lengths:
      return each_match(matches, length_of);
    default:
      return each_match(matches, value_of);
  }
}

}  // namespace

Variant apply_regex(RegExp& matcher, Variant& string_to_search, Variant& regex,
                    Variant& case_sensitive, Variant& replace_text, Variant& return_type,
                    Variant& not_found_return) {
  return answer_or_not_found_return(not_found_return, [&]() -> Variant {
    case_sensitive.default_boolean(true);
    not_found_return.default_lasting_text(mdl_Constants::value_error);
    matcher.IgnoreCase = !truth_of(case_sensitive);
    const bool replaces = settle_replacement(replace_text, return_type);
    const std::optional<ReturnType> code = known_return_type(return_type);
    matcher.Global = needs_every_match(code);

    // Read in place where they are texts, as most are.
    std::u16string text_storage, pattern_storage, replacement_storage;
    const std::u16string_view text = to_text_view(string_to_search, text_storage);
    const std::u16string_view pattern = to_text_view(regex, pattern_storage);
    // This matcher's pattern is set here alone, through set_pattern: the one compiled for the
    // last call is reused while the text stays the same.
    matcher.set_pattern(pattern);
    matcher.reuse_compiled_pattern();
    if (replaces) {
      const std::u16string_view replacement = to_text_view(replace_text, replacement_storage);
      std::u16string replaced;
      if (!matcher.Replace(text, replacement, replaced)) return not_found_return;
      return Variant::text(std::move(replaced));
    }
    if (code == match_count) {
      // Counted without keeping the matches.
      const std::size_t count = matcher.CountMatches(text);
      return count == 0 ? not_found_return : Variant::number(double(count));
    }
    if (!lists_every_match(code)) {
      // Found without a collection of matches.
      MatchWalk walk(matcher, text);
      Match first;
      if (!walk.Next(first)) return not_found_return;
      return report_first(first, code);
    }
    // Execute finds nothing exactly when Test would; one pass instead of two.
    const MatchCollection matches = matcher.Execute(text);
    if (matches.Count() == 0) return not_found_return;
    return report_all(matches, *code);
  });
}

}  // namespace kestrune
