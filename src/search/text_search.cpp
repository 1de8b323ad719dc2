#include "search/text_search.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <span>

#include "base/failure.hpp"
#include "regexp/regexp.hpp"
#include "search/result_code.hpp"
#include "search/search_memory.hpp"
#include "search/search_results.hpp"
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
  const double value = plain_number(return_type);
  if (value == double(ResultCode::pattern_query)) return ResultCode::pattern_query;
  const std::optional<int> code =
      whole_number_within(value, int(kFirstResultCode), int(kLastResultCode));
  if (!code) return std::nullopt;
  return ResultCode(*code);
}

// Writes a default into an argument the caller omitted; an argument the member does not have is
// left alone.
void default_truth(Variant* argument, bool value) {
  if (argument) argument->default_boolean(value);
}
void default_number(Variant* argument, double value) {
  if (argument) argument->default_number(value);
}
void default_empty_text(Variant* argument) {
  if (argument) argument->default_text({});
}

// Fills the omitted arguments in slot order and answers the selected result code.
// A missing not_found_return becomes "#VALUE!", or FALSE under result code 20.
std::optional<ResultCode> fill_defaults(const TextSearchArguments& a) {
  default_truth(a.case_sensitive, true);
  default_number(a.return_type, double(kFirstResultCode));
  default_empty_text(a.find_before_text);
  default_empty_text(a.find_not_before_text);
  default_number(a.return_position_offset, 0);
  default_number(a.return_length_offset, 0);
  default_truth(a.search_from_right, false);
  // "#VALUE!" refers to the lasting text: writing it, and answering it, copy nothing.
  const bool not_found_defaulted = a.not_found_return->is_missing();
  a.not_found_return->default_lasting_text(mdl_Constants::value_error);
  if (!a.return_type) return kFirstResultCode;
  const std::optional<ResultCode> code = selected_code(*a.return_type);
  if (not_found_defaulted && code == kCodeWithFalseDefault) {
    *a.not_found_return = Variant::boolean(false);
  }
  return code;
}

// The platform's Not of replace_all, read as a truth value: only TRUE, or a number that rounds
// to -1, replace every match. (A text that is no number never gets here: comparing it with the
// pattern-query code has already failed.)
bool replaces_first_match_only(const Variant& replace_all) {
  if (replace_all.is_boolean()) return !replace_all.boolean_value();  // most are, or defaulted
  const Variant value = dereference(replace_all);
  if (value.is_null()) return false;  // Not Null is Null, which a condition reads as false
  if (value.is_boolean()) return !value.boolean_value();
  return round_to_whole(to_number(value)) != -1;
}

// An argument's truth value or number; one the member does not have reads as `absent`. Most
// arguments are already of the kind asked for, a default just written among them.
bool truth_of(const Variant* argument, bool absent) {
  if (!argument) return absent;
  return kestrune::truth_of(*argument);
}

double number_of(const Variant* argument) {
  if (!argument) return 0;
  return plain_number(*argument);
}

// Where the arguments that are not texts are converted to texts. Most calls convert none: the
// room is built only when one is.
class ConversionRoom {
 public:
  ConversionRoom() {}  // the texts are not built, and their bytes not cleared, until needed
  ~ConversionRoom() {
    if (built_) std::destroy_at(&texts);
  }
  ConversionRoom(const ConversionRoom&) = delete;
  ConversionRoom& operator=(const ConversionRoom&) = delete;

  std::u16string_view text_of(const Variant& argument, std::size_t slot) {
    if (argument.is_text()) return argument.text_value();
    if (!built_) {
      std::construct_at(&texts);
      built_ = true;
    }
    return to_text_view(argument, texts[slot]);
  }

 private:
  union {
    std::array<std::u16string, 5> texts;
  };
  bool built_ = false;
};

// One call's arguments, read once: texts viewed in place where they are texts (converted into
// `storage` otherwise), the rest as plain values. The search works on this alone.
struct SearchRequest {
  std::u16string_view subject{};  // reversed when searching from the right
  std::u16string_view find_text{};
  std::u16string_view find_before_text{};
  std::u16string_view find_not_before_text{};
  std::optional<std::u16string_view> replace_text{};  // replace mode
  bool replace_first_only = false;
  bool case_sensitive = true;
  bool from_right = false;
  std::optional<ResultCode> code{};
  double position_offset = 0;
  double length_offset = 0;
  const Variant* not_found_return = nullptr;
  // Kept apart from the request's values, which are then set without clearing the room's.
  ConversionRoom& storage;
};

std::u16string_view text_of(const Variant* argument, ConversionRoom& storage, std::size_t slot) {
  return argument ? storage.text_of(*argument, slot) : std::u16string_view();
}

// Reads in the order the arguments have always been read, so that the first unreadable one is
// the same failure.
void read_request(const TextSearchArguments& a, SearchMemory& memory, SearchRequest& r) {
  r.code = fill_defaults(a);
  r.not_found_return = a.not_found_return;
  r.find_text = r.storage.text_of(*a.find_text, 0);
  r.subject = r.storage.text_of(*a.string_to_search, 1);
  r.find_before_text = text_of(a.find_before_text, r.storage, 2);
  r.find_not_before_text = text_of(a.find_not_before_text, r.storage, 3);
  r.from_right = truth_of(a.search_from_right, false);
  if (r.from_right) {
    // Copied backwards into the room it already has (assigning from reverse iterators would
    // build a temporary text first).
    std::u16string& reversed = memory.reversal_room();
    reversed.resize(r.subject.size());
    std::reverse_copy(r.subject.begin(), r.subject.end(), reversed.begin());
    r.subject = reversed;
  }
  r.case_sensitive = truth_of(a.case_sensitive, true);
}

// What only a search that goes on to match reads: the pattern query answers without it.
void read_matching_arguments(const TextSearchArguments& a, SearchRequest& r) {
  if (a.replace_text && !a.replace_text->is_missing()) {
    r.replace_text = r.storage.text_of(*a.replace_text, 4);
    r.replace_first_only = replaces_first_match_only(*a.return_type);
    return;
  }
  if (!r.code) return;
  r.position_offset = number_of(a.return_position_offset);
  r.length_offset = number_of(a.return_length_offset);
}

Variant replace_matches(const SearchRequest& r, RegExp& re) {
  re.Global = !r.replace_first_only;
  std::u16string replaced;
  if (!re.Replace(r.subject, *r.replace_text, replaced)) return *r.not_found_return;
  if (r.from_right) std::reverse(replaced.begin(), replaced.end());
  return Variant::text(std::move(replaced));
}

Variant answer_nth_piece(const SearchRequest& r, MatchWalk& walk, Match first, const Variant& nth) {
  const std::int32_t n = round_to_whole(to_number(nth));
  if (n < 1) return *r.not_found_return;
  std::optional<Variant> piece = nth_nonempty_piece(r.subject, r.from_right, walk, first, n);
  return piece ? std::move(*piece) : *r.not_found_return;
}

Variant answer_for_matches(const SearchRequest& r, ResultCode code,
                           std::span<const Match> matches) {
  return search_result(code,
                       {r.subject, matches, r.position_offset, r.length_offset, r.from_right});
}

// Searching once for the matches the code needs is the same as testing for a match first: no
// match answers not_found_return either way. A first-match answer and a count keep no list.
Variant answer_result_code(const SearchRequest& r, RegExp& re, ResultCode code,
                           const Variant* nth_piece) {
  if (code == ResultCode::match_count) {
    re.Global = true;
    const std::size_t count = re.CountMatches(r.subject);
    return count == 0 ? *r.not_found_return : Variant::number(double(count));
  }
  if (nth_piece) {
    MatchWalk walk(re, r.subject);
    Match first;
    if (!walk.Next(first)) return *r.not_found_return;
    return answer_nth_piece(r, walk, first, *nth_piece);
  }
  if (needs_first_match_only(code)) {
    Match first;
    if (!re.FirstMatch(r.subject, first)) return *r.not_found_return;
    return answer_for_matches(r, code, {&first, 1});
  }
  re.Global = true;
  const MatchCollection matches = re.Execute(r.subject);
  if (matches.Count() == 0) return *r.not_found_return;
  return answer_for_matches(r, code, {matches.begin(), matches.end()});
}

Variant search_or_replace(SearchMemory& memory, const TextSearchArguments& arguments,
                          const Variant* nth_piece) {
  ConversionRoom room;
  SearchRequest r{.storage = room};
  read_request(arguments, memory, r);
  const std::u16string& pattern =
      memory.pattern_for(r.find_text, r.find_before_text, r.find_not_before_text);
  if (r.code == ResultCode::pattern_query) return Variant::text(pattern);
  read_matching_arguments(arguments, r);
  RegExp& re = memory.matcher_for_pattern(!r.case_sensitive);
  if (r.replace_text) return replace_matches(r, re);
  // A code that selects no answer gives not_found_return, whether the pattern matches or not.
  if (!r.code) return *r.not_found_return;
  return answer_result_code(r, re, *r.code, nth_piece);
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
    return *arguments.not_found_return;
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
