// krST: the English ordinal indicator of a number, chosen by the last characters of its text.
#include <string>
#include <string_view>

#include "base/case_mapping.hpp"
#include "base/failure.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "words/ordinal_suffix.hpp"

namespace kestrune {
namespace {

constexpr std::u16string_view kFirstIndicator = u"st";
constexpr std::u16string_view kSecondIndicator = u"nd";
constexpr std::u16string_view kThirdIndicator = u"rd";
constexpr std::u16string_view kOtherIndicator = u"th";

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// By the last digit, unless the character before it is "1" (11 to 19, 111, 1012...).
std::u16string_view ordinal_indicator(std::u16string_view number_text) {
  if (number_text.empty() || !is_digit(number_text.back())) {
    fail(FailureKind::type_mismatch, "the text does not end in a digit");
  }
  const bool teen = number_text.size() >= 2 && number_text[number_text.size() - 2] == u'1';
  if (teen) return kOtherIndicator;
  switch (number_text.back()) {
    case u'1':
      return kFirstIndicator;
    case u'2':
      return kSecondIndicator;
    case u'3':
      return kThirdIndicator;
    default:
      return kOtherIndicator;
  }
}

// A missing option is false, and is written back as such.
bool read_option(Variant& option) {
  option.default_boolean(false);
  return to_truth(option);
}

}  // namespace

Variant ordinal_suffix(Variant& num, Variant& exclude_num, Variant& upper_case) {
  return answer_or_value_error([&] {
    const std::u16string number_text = to_text(num);
    const std::u16string_view indicator = ordinal_indicator(number_text);
    const bool indicator_only = read_option(exclude_num);
    const bool in_upper_case = read_option(upper_case);
    std::u16string result(indicator);
    if (!indicator_only) result.insert(0, number_text);
    return Variant::text(in_upper_case ? kestrune::upper_case(result) : std::move(result));
  });
}

}  // namespace kestrune
