// How the command line writes results: plain text for people, JSON for programs.
//
//   plain: a text as it is, a number in its text form, TRUE/FALSE, an empty value as an empty
//          line, an error value by its name, an array as rows of tab-separated cells.
//   json:  one JSON value a line; values JSON lacks are written as small objects
//          ({"number":"NaN"}, {"null":true}, {"error":"#N/A"}, {"array":[...],"lbound":[1,1]}).
//
//   std::cout << format_plain(result) << '\n';
//   std::cout << format_json(result) << '\n';
#pragma once

#include <string>

#include "variant/variant.hpp"

namespace kestrune::cli {

std::string format_plain(const Variant& value);
std::string format_json(const Variant& value);
// A JSON string literal; lone surrogates are kept as \uXXXX escapes.
std::string json_string(std::u16string_view text);

}  // namespace kestrune::cli
