// Conversions: the one place that turns Variants into texts, numbers and truth values.
//
// They follow the automation platform's standard conversions as the worksheet functions rely on
// them: numbers with up to 15 significant digits and the user's decimal separator, texts read
// as numbers by a strict rule (blanks around, a sign, digits with one separator, an exponent),
// "True"/"False", whole numbers rounded half to even. A value that has no such form is a
// Failure.
//
//   std::u16string s = to_text(Variant::number(2.5));       // "2.5" (or "2,5")
//   double d = to_number(Variant::text(u" -1.5E+3 "));      // -1500
//   bool b = to_truth(Variant::text(u"false"));             // false
//   std::int32_t n = round_to_whole(2.5);                   // 2
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "variant/variant.hpp"

namespace kestrune {

// Texts the conversions produce and read.
inline constexpr std::u16string_view kTrueText = u"True";
inline constexpr std::u16string_view kFalseText = u"False";

// Number to text: like C's %.15G ("0.1", "1E+20", "1E-05"), with `separator` for the point.
std::u16string format_number(double value, char16_t separator, int significant_digits = 15);
// An automation date (days since 30 December 1899) as the platform writes it in English:
// "12/6/2026", "12/6/2026 12:00:00 PM", "6:00:00 AM".
std::u16string format_date(double ole_date);

// Text to number by the strict rule above; nullopt when the text is no number.
std::optional<double> parse_number(std::u16string_view text, char16_t separator);
// Text to truth value: "true"/"false" in any case, "#TRUE#"/"#FALSE#", or a number (true
// unless 0); nullopt otherwise.
std::optional<bool> parse_truth(std::u16string_view text, char16_t separator);

// A cell reference's value (followed through nested references); other values as they are.
Variant dereference(const Variant& value);

// Reading Variants; the decimal separator is the user's (locale.hpp). Each raises a Failure
// where the value has no such form.
std::u16string to_text(const Variant& value);
// The text form as a view: of the Variant's own text when it is one (no copy), otherwise of
// `storage`, which receives to_text(value).
std::u16string_view to_text_view(const Variant& value, std::u16string& storage);
double to_number(const Variant& value);
bool to_truth(const Variant& value);
// to_truth, without the call for the kind most arguments have (a default just written among
// them).
inline bool truth_of(const Variant& value) {
  return value.is_boolean() ? value.boolean_value() : to_truth(value);
}
// to_number, likewise: a double or a truth value is read without the call.
inline double plain_number(const Variant& value) {
  if (value.type() == VariantType::r8) return value.numeric_value();
  if (value.is_boolean()) return value.boolean_value() ? -1 : 0;
  return to_number(value);
}
// `value` as an int when it is a whole number from `lowest` to `highest`; nullopt otherwise.
// Within an int's range no rounding call is needed to see a fraction.
inline std::optional<int> whole_number_within(double value, int lowest, int highest) {
  if (!(value >= lowest && value <= highest)) return std::nullopt;
  const int whole = int(value);
  if (double(whole) != value) return std::nullopt;
  return whole;
}

// Rounds to the nearest whole number, a half to the even neighbour; a Failure outside the
// 32-bit range (the platform's overflow).
std::int32_t round_to_whole(double value);

// `value` compared with the empty text through its text form: a blank equals it, a number or
// truth value never does. A value without a text form is a Failure.
bool equals_empty_text(const Variant& value);

// `value` compared with a number as the platform compares: numbers and dates by value, a truth
// value as -1 or 0, a blank as 0, a text that reads as a number as that number; a null equals
// nothing. Any other text, an error value or an array is a Failure.
bool equals_number(const Variant& value, double number);

}  // namespace kestrune
