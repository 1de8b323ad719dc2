// Fuzzes the command line's call syntax and, through it, every worksheet member with every
// kind of argument: any input must end in an answer, a failure or a syntax message, never a
// crash, a hang or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "automation/cls_kestrune.hpp"
#include "base/utf8.hpp"
#include "cli/call_parser.hpp"
#include "cli/evaluate.hpp"
#include "cli/output.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kestrune::clsKestrune object;
  const kestrune::cli::Outcome outcome =
      kestrune::cli::evaluate(object, kestrune::cli::parse_call(kestrune::from_utf8(bytes)));
  if (outcome.kind == kestrune::cli::Outcome::Kind::answered) {
    (void)kestrune::cli::format_json(outcome.result);
    (void)kestrune::cli::format_plain(outcome.result);
  }
  return 0;
}
