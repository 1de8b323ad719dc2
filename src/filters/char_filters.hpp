// The workers of the four character filters: ExcludeChars removes every occurrence of every
// item from the text, ExtractChars keeps only the occurrences, in text order. With the numeric
// switch on, the characters that belong to a number are kept as well (NumberFilter): after the
// removal for ExcludeChars, between the extracted items for ExtractChars.
//
//   Array list = ...;                                  // "Tel 555-1234", "555"
//   ExcludeChars(list, NumericSwitch::on);             // "-1234"
//
// Both rewrite error values in `arguments` (ReadFilterArguments), so callers pass a copy. They
// have no fallback: a Failure of ReadFilterArguments or DecimalSeparator reaches the caller.
#pragma once

#include <string>

#include "automation/variant.hpp"

namespace kestrune {

enum class NumericSwitch { off, on };

// The first character of the user's decimal separator, asked of the platform on every call; a
// Failure when the platform reports none.
char16_t DecimalSeparator();

std::u16string ExcludeChars(Array& arguments, NumericSwitch numeric);
std::u16string ExtractChars(Array& arguments, NumericSwitch numeric);

}  // namespace kestrune
