// Fuzzes the CSV reader that `kestrune fill` streams its input through: any bytes must read as
// a sequence of records (well-formed or reported as malformed) without a crash, a hang or a
// sanitizer report, and every field must decode.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "cli/csv.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  kestrune::cli::CsvReader reader(input);
  kestrune::cli::CsvRecord record;
  std::string scratch;
  std::string written;
  while (reader.next(record)) {
    for (std::size_t i = 0; i < record.field_count(); ++i) {
      kestrune::cli::append_csv_field(written, record.field(i, scratch));
    }
    written.clear();
  }
  return 0;
}
