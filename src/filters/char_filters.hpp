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

#include "variant/variant.hpp"

namespace kestrune {

enum class NumericSwitch { off, on };

// The first character of the user's decimal separator, asked of the platform on every call; a
// Failure when the platform reports none.
char16_t DecimalSeparator();

std::u16string ExcludeChars(Array& arguments, NumericSwitch numeric);
std::u16string ExtractChars(Array& arguments, NumericSwitch numeric);

// The bodies of krEXCLUDE and krEXCLUDENOTNUM, krEXTRACT and krEXTRACTNUM: each works on a copy
// of its open argument list, so the caller's arguments are never changed. A worksheet gathers
// the call's arguments into one array of Variants (any lower bound); any other value is taken
// as a list of that one value. No fallback: a failure goes back to the caller.
std::u16string exclude_from_list(const Variant& list, NumericSwitch numeric);
std::u16string extract_from_list(const Variant& list, NumericSwitch numeric);

}  // namespace kestrune
