#include "search/text_search.hpp"

#include <exception>
#include <optional>

#include "automation/conversions.hpp"
#include "automation/mdl_constants.hpp"
#include "automation/regexp.hpp"
#include "search/search_results.hpp"
#include "search/search_syntax.hpp"

namespace kestrune {
namespace {

void default_if_missing(Variant& argument, Variant value) {
  if (argument.is_missing()) argument = std::move(value);
}

// Fills the omitted arguments in slot order; not_found_return defaults to FALSE for the one
// result code whose answers are truth values in lists.
void fill_defaults(const TextSearchArguments& a) {
  default_if_missing(a.case_sensitive, Variant::boolean(true));
  default_if_missing(a.return_type, Variant::number(return_code::kFirst));
  default_if_missing(a.find_before_text, Variant::text(u""));
  default_if_missing(a.find_not_before_text, Variant::text(u""));
  default_if_missing(a.return_position_offset, Variant::number(0));
  default_if_missing(a.return_length_offset, Variant::number(0));
  default_if_missing(a.search_from_right, Variant::boolean(false));
  if (a.not_found_return.is_missing()) {
    a.not_found_return = Variant::text(std::u16string(mdl_Constants::value_error_text));
    if (equals_number(a.return_type, return_code::kTruthFalseDefault)) {
      a.not_found_return = Variant::boolean(false);
    }
  }
}

// The result code return_type selects, if any: the codes compare by equality with the value as
// passed, so 1.5 or 0 select none, and a text that is not a number is a Failure.
std::optional<int> selected_code(const Variant& return_type) {
  if (equals_number(return_type, return_code::kPatternQuery)) return return_code::kPatternQuery;
  for (int code = return_code::kFirst; code <= return_code::kLast; ++code) {
    if (equals_number(return_type, code)) return code;
  }
  return std::nullopt;
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

struct WorkingTexts {
  std::u16string subject;  // reversed when searching from the right
  std::u16string pattern;
  bool from_right = false;
};

WorkingTexts read_working_texts(const TextSearchArguments& a) {
  const std::u16string find = to_text(a.find_text);
  WorkingTexts texts;
  texts.subject = to_text(a.string_to_search);
  const std::u16string before = to_text(a.find_before_text);
  const std::u16string not_before = to_text(a.find_not_before_text);
  texts.from_right = to_truth(a.search_from_right);
  if (texts.from_right) texts.subject = reverse_text(texts.subject);
  texts.pattern = build_search_pattern(find, before, not_before);
  return texts;
}

Variant replace_matches(const TextSearchArguments& a, RegExp& re, const WorkingTexts& texts) {
  if (replaces_first_match_only(a.return_type)) re.Global = false;
  std::u16string replaced = re.Replace(texts.subject, to_text(a.replace_text));
  if (texts.from_right) replaced = reverse_text(replaced);
  return Variant::text(std::move(replaced));
}

Variant answer_result_code(const TextSearchArguments& a, RegExp& re, const WorkingTexts& texts) {
  const std::optional<int> code = selected_code(a.return_type);
  if (!code) return a.not_found_return;
  SearchSubject subject;
  subject.text = texts.subject;
  subject.position_offset = to_number(a.return_position_offset);
  subject.length_offset = to_number(a.return_length_offset);
  subject.from_right = texts.from_right;
  // The other matches cannot change a first-match answer: do not look for them.
  re.Global = !needs_first_match_only(*code);
  for (const Match& match : re.Execute(texts.subject)) {
    subject.matches.push_back({match.FirstIndex + 1, match.Length});
  }
  return search_result(*code, subject);
}

Variant search_or_replace(const TextSearchArguments& a) {
  fill_defaults(a);
  const WorkingTexts texts = read_working_texts(a);
  RegExp re;
  re.IgnoreCase = !to_truth(a.case_sensitive);
  if (equals_number(a.return_type, return_code::kPatternQuery)) return Variant::text(texts.pattern);
  re.Pattern = texts.pattern;
  re.Global = true;
  if (!re.Test(texts.subject)) return a.not_found_return;
  if (!a.replace_text.is_missing()) return replace_matches(a, re, texts);
  return answer_result_code(a, re, texts);
}

}  // namespace

std::u16string reverse_text(std::u16string_view text) {
  return std::u16string(text.rbegin(), text.rend());
}

Variant TextSearch(const TextSearchArguments& arguments) {
  try {
    return search_or_replace(arguments);
  } catch (const std::exception&) {
    return arguments.not_found_return;
  }
}

}  // namespace kestrune
