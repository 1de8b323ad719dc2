#include "search/text_search.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/failure.hpp"
#include "regexp/regexp.hpp"
#include "search/result_code.hpp"
#include "search/search_memory.hpp"
#include "search/search_results.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/mdl_constants.hpp"

namespace kestrune {
namespace {

// The result code return_type selects: the codes compare by equality with the value as passed,
// so 1.5 or 0 select none and a null equals none; a text that is not a number is a Failure.
std::optional<ResultCode> selected_code(const Variant& return_type) {
  if (return_type.is_null() || (return_type.is_object() && dereference(return_type).is_null())) {
    return std::nullopt;
  }
  const double value = to_number(return_type);
  const bool known = value == double(ResultCode::pattern_query) ||
                     (value >= double(kFirstResultCode) && value <= double(kLastResultCode));
  if (!known || value != std::floor(value)) return std::nullopt;
  return ResultCode(int(value));
}

// Fills the omitted arguments in slot order and answers the selected result code.
// A missing not_found_return becomes "#VALUE!", or FALSE under result code 20.
std::optional<ResultCode> fill_defaults(const TextSearchArguments& a) {
  default_if_missing(a.case_sensitive, Variant::boolean(true));
  default_if_missing(a.return_type, result_code_argument(kFirstResultCode));
  default_if_missing(a.find_before_text, Variant::text(u""));
  default_if_missing(a.find_not_before_text, Variant::text(u""));
  default_if_missing(a.return_position_offset, Variant::number(0));
  default_if_missing(a.return_length_offset, Variant::number(0));
  default_if_missing(a.search_from_right, Variant::boolean(false));
  const bool not_found_defaulted = a.not_found_return.is_missing();
  if (not_found_defaulted) {
    a.not_found_return = Variant::text(std::u16string(mdl_Constants::value_error_text));
  }
  const std::optional<ResultCode> code = selected_code(a.return_type);
  if (not_found_defaulted && code == kCodeWithFalseDefault) {
    a.not_found_return = Variant::boolean(false);
  }
  return code;
}

// The platform's Not of replace_all, read as a truth value: only TRUE, or a number that rounds
// to -1, replace every match. (A text that is no number never gets here: comparing it with the
// pattern-query code has already failed.)
bool replaces_first_match_only(const Variant& replace_all) {
  const Variant value = dereference(replace_all);
  if (value.is_null()) return false;  // Not Null is Null, which a condition reads as false
  if (value.is_boolean()) return !value.boolean_value();
  return round_to_whole(to_number(value)) != -1;
}

// The texts of one call. The subject views the caller's text where it is one and is searched
// as given; otherwise it views `converted`; from the right, it views the memory's reversal
// room. The pattern is the memory's.
struct WorkingTexts {
  std::u16string converted;
  std::u16string_view subject;  // reversed when searching from the right
  const std::u16string* pattern = nullptr;
  bool from_right = false;
};

void read_working_texts(const TextSearchArguments& a, SearchMemory& memory, WorkingTexts& texts) {
  std::u16string find_storage, before_storage, not_before_storage;
  const std::u16string_view find = to_text_view(a.find_text, find_storage);
  texts.subject = to_text_view(a.string_to_search, texts.converted);
  const std::u16string_view before = to_text_view(a.find_before_text, before_storage);
  const std::u16string_view not_before = to_text_view(a.find_not_before_text, not_before_storage);
  texts.from_right = to_truth(a.search_from_right);
  if (texts.from_right) {
    std::u16string& reversed = memory.reversal_room();
    reversed.assign(texts.subject.rbegin(), texts.subject.rend());
    texts.subject = reversed;
  }
  texts.pattern = &memory.pattern_for(find, before, not_before);
}

Variant replace_matches(const TextSearchArguments& a, RegExp& re, const WorkingTexts& texts) {
  if (replaces_first_match_only(a.return_type)) re.Global = false;
  std::u16string replaced = re.Replace(texts.subject, to_text(a.replace_text));
  if (texts.from_right) std::reverse(replaced.begin(), replaced.end());
  return Variant::text(std::move(replaced));
}

Variant answer_nth_piece(const TextSearchArguments& a, RegExp& re, const WorkingTexts& texts,
                         const Variant& nth) {
  MatchWalk walk(re, texts.subject);
  Match first;
  if (!walk.Next(first)) return a.not_found_return;
  const std::int32_t n = round_to_whole(to_number(nth));
  if (n < 1) return a.not_found_return;
  std::optional<Variant> piece =
      nth_nonempty_piece(texts.subject, texts.from_right, walk, first, n);
  return piece ? std::move(*piece) : a.not_found_return;
}

// Searching once for the matches the code needs is the same as testing for a match first: no
// match answers not_found_return either way.
Variant answer_result_code(const TextSearchArguments& a, SearchMemory& memory,
                           const WorkingTexts& texts, ResultCode code, const Variant* nth_piece) {
  RegExp& re = memory.matcher();
  // The other matches cannot change a first-match answer: do not look for them.
  re.Global = !needs_first_match_only(code);
  if (code == ResultCode::match_count) {
    const std::size_t count = re.CountMatches(texts.subject);
    return count == 0 ? a.not_found_return : Variant::number(double(count));
  }
  if (nth_piece) return answer_nth_piece(a, re, texts, *nth_piece);
  const MatchCollection matches = re.Execute(texts.subject);
  if (matches.Count() == 0) return a.not_found_return;
  const SearchSubject subject{texts.subject, matches, to_number(a.return_position_offset),
                              to_number(a.return_length_offset), texts.from_right};
  return search_result(code, subject);
}

Variant search_or_replace(SearchMemory& memory, const TextSearchArguments& a,
                          const Variant* nth_piece) {
  const std::optional<ResultCode> code = fill_defaults(a);
  WorkingTexts texts;
  read_working_texts(a, memory, texts);
  const bool ignore_case = !to_truth(a.case_sensitive);
  if (code == ResultCode::pattern_query) return Variant::text(*texts.pattern);
  RegExp& re = memory.matcher();
  re.IgnoreCase = ignore_case;
  re.Pattern = *texts.pattern;
  if (!a.replace_text.is_missing()) {
    re.Global = true;
    if (!re.Test(texts.subject)) return a.not_found_return;
    return replace_matches(a, re, texts);
  }
  // A code that selects no answer gives not_found_return, whether the pattern matches or not.
  if (!code) return a.not_found_return;
  return answer_result_code(a, memory, texts, *code, nth_piece);
}

// Every call's way back: a failure answers not_found_return, but for a search that could not
// finish.
Variant search_or_not_found(SearchMemory& memory, const TextSearchArguments& arguments,
                            const Variant* nth_piece) {
  try {
    return search_or_replace(memory, arguments, nth_piece);
  } catch (const Failure& failure) {
    // A search that ran out of budget did not find nothing: it is the member's failure.
    if (failure.kind() == FailureKind::out_of_budget) throw;
    return arguments.not_found_return;
  }
}

}  // namespace

std::u16string reverse_text(std::u16string_view text) {
  return std::u16string(text.rbegin(), text.rend());
}

Variant TextSearch(SearchMemory& memory, const TextSearchArguments& arguments) {
  return search_or_not_found(memory, arguments, nullptr);
}

Variant TextSearchNthPiece(SearchMemory& memory, const TextSearchArguments& arguments,
                           const Variant& nth) {
  return search_or_not_found(memory, arguments, &nth);
}

}  // namespace kestrune
