// The floor of the column benchmark: PCRE2 alone, compiling the pattern and matching it for
// every cell of one CSV column, with none of kestrune's work around it. The cells are loaded
// (and turned into 16-bit text) before the clock starts; only the compile-and-match loop is
// timed.
//
//   pcre2_floor column.csv E count 'the' --caseless
//   pcre2_floor column.csv D substitute-first ',(?=\d\d)' --replacement .
//
// Modes: first (the first match), count (every match), substitute-first, substitute-all.
// Prints: rows N wall SECONDS cpu SECONDS checksum C
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "base/utf8.hpp"
#include "cli/csv.hpp"
#include "pcre2_floor.hpp"

namespace {

using kestrune::bench::Pcre2Floor;

std::size_t column_index(const std::string& letters) {
  std::size_t number = 0;
  for (const char c : letters) number = number * 26 + std::size_t(c - 'A' + 1);
  return number - 1;
}

std::vector<std::u16string> load_column(const std::string& path, std::size_t column) {
  std::ifstream file(path, std::ios::binary);
  kestrune::cli::CsvReader reader(file);
  kestrune::cli::CsvRecord record;
  std::vector<std::u16string> cells;
  while (reader.next(record)) {
    cells.push_back(column < record.field_count() ? kestrune::from_utf8(record.field(column))
                                                  : std::u16string());
  }
  return cells;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: pcre2_floor INPUT.csv COLUMN first|count|substitute-first|"
                 "substitute-all PATTERN [--caseless] [--replacement R]\n");
    return 2;
  }
  const std::string mode = argv[3];
  std::uint32_t options = 0;
  std::u16string replacement;
  for (int i = 5; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--caseless") options |= PCRE2_CASELESS;
    if (arg == "--replacement" && i + 1 < argc) replacement = kestrune::from_utf8(argv[++i]);
  }
  const std::vector<std::u16string> cells = load_column(argv[1], column_index(argv[2]));
  const Pcre2Floor floor(kestrune::from_utf8(argv[4]), options);

  std::size_t checksum = 0;  // keeps the work from being optimised away
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpu_start = std::clock();
  for (const std::u16string& cell : cells) {
    if (mode == "first") {
      checksum += std::size_t(floor.first_match(cell) + 1);
    } else if (mode == "count") {
      checksum += floor.count_matches(cell);
    } else {
      checksum += floor.substitute(cell, replacement, mode == "substitute-all").size();
    }
  }
  const double cpu = double(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("rows %zu wall %.3f cpu %.3f checksum %zu\n", cells.size(), wall, cpu, checksum);
  return 0;
}
