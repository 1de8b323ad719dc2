// The call syntax of the command line: a worksheet call as written in a cell, without the "=".
//
//   call := NAME "(" [ arg { "," arg } ] ")"
//   arg  := nothing (an omitted argument) | "text" ("" inside stands for ") | number
//         | TRUE | FALSE | EMPTY | NULL | #NULL! | #DIV/0! | #VALUE! | #REF! | #NAME? | #NUM! |
//         #N/A | { v , v ; v , v }  (a 2-D array indexed from 1, rows split by ";") | CELL( v ) (a
//         cell reference whose value is v)
//
//   ParsedCall call = parse_call(u"krSEARCH(\"a-b-c\", \"-\", , 3)");
//   if (call.error.empty()) use(call.name, call.arguments);
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.hpp"

namespace kestrune::cli {

struct ParsedCall {
  std::string name;                // as written
  std::vector<Variant> arguments;  // an omitted argument is the missing-argument marker
  std::string error;               // empty when the call was read
};

ParsedCall parse_call(std::u16string_view line);

// Reads one argument value (as in a call, without the surrounding call); for callers that
// take values written in the call syntax elsewhere. Sets `error` when it is not a value.
Variant parse_value(std::u16string_view text, std::string& error);

// The worksheet error values by name, and back.
std::string_view worksheet_error_name(std::uint32_t code);  // "" when it has no name

}  // namespace kestrune::cli
