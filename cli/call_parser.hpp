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
//
// A formula filled down a table may also name a column by its letters (A, B, ..., Z, AA, ...,
// XFD, in any case) as an argument of its own; the call then records where each stands:
//
//   ParsedCall formula = parse_call(u"krGETWORD(B, 2)", ColumnNames::accepted);
//   // formula.columns: {argument 0, column 1}; formula.arguments[0] waits for the cell
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "variant/variant.hpp"

namespace kestrune::cli {

// A column name standing as an argument: the argument it fills and the column (0 for A).
struct ColumnReference {
  std::size_t argument;
  std::size_t column;
};

struct ParsedCall {
  std::string name;                      // as written
  std::vector<Variant> arguments;        // an omitted argument is the missing-argument marker; the
                                         // slot of a column reference holds an empty value
  std::vector<ColumnReference> columns;  // in argument order
  std::string error;                     // empty when the call was read
};

// Whether bare column names are read as column references or refused as unknown words.
enum class ColumnNames { refused, accepted };

// The most columns a worksheet has (A to XFD): longer letter runs are no column names.
inline constexpr std::size_t kMaxColumns = 16384;

// The most arguments a worksheet call takes; a call with more is unreadable.
inline constexpr std::size_t kMaxArguments = 255;
// The most array elements one call may hold, all its arrays together (a whole column of a
// worksheet): what a host could pass, with memory and time still bounded per line.
inline constexpr std::size_t kMaxArrayElements = 1'048'576;

// Nested CELL( ) and arrays deeper than this are refused rather than recursed into.
inline constexpr int kMaxNesting = 16;

ParsedCall parse_call(std::u16string_view line, ColumnNames column_names = ColumnNames::refused);

// Reads one argument value (as in a call, without the surrounding call); for callers that
// take values written in the call syntax elsewhere. Sets `error` when it is not a value.
Variant parse_value(std::u16string_view text, std::string& error);

// The worksheet error values by name, and back.
std::string_view worksheet_error_name(std::uint32_t code);  // "" when it has no name

}  // namespace kestrune::cli
