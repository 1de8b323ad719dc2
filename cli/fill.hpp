// kestrune fill: a formula filled down a CSV table, one result cell added to every row.
//
//   kestrune fill FORMULA [INPUT.csv] [-o OUTPUT.csv] [--header] [--threads N]
//                [--decimal-separator C]
//
// FORMULA is a call in the command line's syntax in which a bare column name (A, B, ..., Z, AA,
// ...) stands as an argument for that row's cell: a field that reads as a number (C locale:
// "." as the point) is a number, an empty field a blank cell, any other field a text. The
// formula is read once; each row only puts its cells into the prepared slots.
//
// Every output row is the input row as written, a comma and the result cell:
//   - a result as the plain output writes it (format_plain); an array result as its top-left
//     element, as a single cell shows an array formula (nothing for an empty array);
//   - a member that fails: the failure's message;
//   - a malformed record (csv.hpp): its first line split at commas, every quote kept as an
//     ordinary character, fields written back in proper CSV, and a cell "malformed CSV: what";
//     the line and what is wrong also go to standard error;
//   - with --header, the first row gets the formula itself as its new column's name.
// Rows keep their order whatever the thread count. The output keeps the input's byte order
// mark (also when it is all the input holds) and the first line's ending (LF, CRLF or CR).
//
// Rows are read in chunks and spread over worker threads, each with its own clsKestrune (as
// apartments would have), with a bounded number of chunks and bytes of rows in flight: memory
// grows neither with the number of rows nor with the number of threads. An output file is
// replaced whole once everything was written (replaced_file.hpp), so it may be the input.
//
//   RowFormula formula(u"krGETWORD(A, 2)");
//   clsKestrune object;
//   std::string cell = formula.cell_for(object, record).text;   // "Smith" for "Anna Smith"
//
//   FillSummary summary = fill(options, input, output, messages);
//   return summary.exit_status();
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "automation/member_table.hpp"
#include "cli/call_parser.hpp"
#include "cli/csv.hpp"

namespace kestrune::cli {

inline constexpr const char* kFillUsage =
    "usage: kestrune fill FORMULA [INPUT.csv] [-o OUTPUT.csv] [--header] [--threads N]\n"
    "                     [--decimal-separator C]\n"
    "Adds a column to a CSV table (standard input without INPUT.csv, standard output without\n"
    "-o): FORMULA evaluated for every row, with column names A, B, ... standing for the row's\n"
    "cells, as in: kestrune fill 'krGETWORD(A, 2)' names.csv\n";

// The most worker threads --threads may name (and the most the default takes): more than a
// machine has cores only adds threads that wait.
inline constexpr unsigned kMaxThreads = 64;

// A formula read once, evaluated for many rows.
class RowFormula {
 public:
  explicit RowFormula(std::u16string_view formula);

  // Why the formula cannot be filled; empty when it can.
  const std::string& error() const { return error_; }

  struct Cell {
    std::string text;     // UTF-8
    bool failed = false;  // the member failed: text is its message
  };

  // The result cell for one record. A column past the end of the record is a blank cell.
  Cell cell_for(clsKestrune& object, const CsvRecord& record) const;

 private:
  void set_columns(std::span<Variant> arguments, const CsvRecord& record) const;

  const MemberInfo* member_ = nullptr;
  std::vector<Variant> arguments_;  // the literals; column slots are filled per row
  std::vector<ColumnReference> columns_;
  bool arguments_in_place_ = false;  // laid out as the parameters, and few enough for the stack
  std::string error_;
};

struct FillOptions {
  std::string formula;  // UTF-8, as given
  bool header = false;
  unsigned threads = 0;           // 0: one per core
  bool progress = false;          // draw a progress line on `messages`
  std::uint64_t input_bytes = 0;  // the input's size for the progress bar; 0 when unknown
};

struct FillSummary {
  std::uint64_t rows = 0;       // data rows written (the header not counted)
  std::uint64_t malformed = 0;  // records that broke the CSV rules
  std::uint64_t failed = 0;     // rows whose member failed
  bool formula_unreadable = false;
  bool input_failed = false;
  bool output_failed = false;

  // 2 when the formula, the input or the output could not be used; 0 otherwise (bad rows
  // included).
  int exit_status() const;
};

FillSummary fill(const FillOptions& options, std::istream& input, std::ostream& output,
                 std::ostream& messages);

// The command line of `kestrune fill`, the word "fill" itself left out.
struct FillCommand {
  FillOptions options;
  std::string input_path;   // empty: standard input
  std::string output_path;  // empty: standard output
  std::optional<std::string> decimal_separator;
  bool help = false;
};

// Reads the arguments; nothing, and `error` set, when they are not a fill command.
std::optional<FillCommand> read_fill_command(std::span<const std::string> arguments,
                                             std::string& error);

// Opens the files the command names (standard input and output otherwise) and fills.
FillSummary run_fill_command(FillCommand command, std::istream& standard_input,
                             std::ostream& standard_output, std::ostream& messages);

}  // namespace kestrune::cli
