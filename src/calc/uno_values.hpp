// Calc's arguments and results as Variants, and back.
//
// How Calc hands an `any` argument over: an omitted argument as a void any; numbers, dates and
// truth values as doubles (TRUE is 1); a blank cell as the double 0; text as a string; a range or
// an inline array as rows of anys, in which blank cells are empty strings. Error cells never
// arrive: Calc answers the formula with the error itself.
//
//   Variant argument = variant_from_any(any);     // void: the missing-argument marker
//   css::uno::Any result = any_from_variant(answer);
#pragma once

#include <com/sun/star/uno/Any.hxx>
#include <rtl/ustring.hxx>

#include <string>

#include "variant/variant.hpp"

namespace kestrune::calc {

// UNO's strings hold the same 16-bit units as the core's texts.
std::u16string text_of(const rtl::OUString& text);
rtl::OUString ustring_of(std::u16string_view text);

// A void any is the missing-argument marker; a range of one cell is that cell's value and a
// larger one a cell reference whose value is its grid, indexed from 1, as a worksheet passes a
// range. A value of another UNO type is a Failure.
Variant variant_from_any(const css::uno::Any& value);

// A number as a double (Calc shows NaN and infinities as #NUM!), a text as a string, a truth
// value as 1 or 0 (Calc shows a returned boolean as 0 either way), a one- or two-dimensional
// array as rows of anys (a one-dimensional one as one row) that fill a range entered as an array
// formula. An empty value or null inside an array is a void any (an empty cell); as the whole
// answer it is the empty text, since a void answer shows #N/A. An error value or an object
// without a value is a Failure.
css::uno::Any any_from_variant(const Variant& value);

}  // namespace kestrune::calc
