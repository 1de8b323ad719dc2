// How the command line writes results: plain text for people, JSON for programs.
//
//   plain: a text as it is, a number in its text form (an infinity or NaN as #NUM!, as a cell
//          shows it), TRUE/FALSE, an empty value as an empty line, an error value by its name,
//          an array as rows of tab-separated cells.
//   json:  one JSON value a line; values JSON lacks are written as small objects
//          ({"number":"NaN"}, {"null":true}, {"error":"#N/A"}, {"array":[...],"lbound":[1,1]}).
//
//   std::cout << format_plain(result) << '\n';
//   std::cout << format_json(result) << '\n';
#pragma once

#include <string>
#include <string_view>

#include "variant/variant.hpp"

namespace kestrune::cli {

// Why `separator` (UTF-8, as given on the command line) cannot be the decimal separator the
// output and the members use; empty when it can. It must be one character that no number, cell
// or line is made of: not a digit, sign, exponent letter, quote, space, control character or
// line break.
std::string decimal_separator_problem(std::string_view separator);

std::string format_plain(const Variant& value);
std::string format_json(const Variant& value);
// A JSON string literal; lone surrogates are kept as \uXXXX escapes.
std::string json_string(std::u16string_view text);

}  // namespace kestrune::cli
