// kestrune: evaluates worksheet calls written as in a cell.
//
//   kestrune [--json] [--decimal-separator C] CALL...
//   kestrune [--json] [--decimal-separator C]          (calls from standard input, one a line)
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "automation/locale.hpp"
#include "automation/utf8.hpp"
#include "cli/evaluate.hpp"
#include "cli/output.hpp"
#include "platform/posix/posix_locale.hpp"

namespace {

using kestrune::cli::Outcome;

// Exit statuses, worst wins.
constexpr int kAllAnswered = 0;
constexpr int kMemberFailed = 1;
constexpr int kUnreadable = 2;

constexpr const char* kUsage =
    "usage: kestrune [--json] [--decimal-separator C] [CALL...]\n"
    "Evaluates worksheet calls such as krSEARCH(\"a-b-c\", \"-\", , 3); without CALL arguments,\n"
    "reads one call a line from standard input.\n";

struct Options {
  bool json = false;
  std::vector<std::string> calls;
  std::string decimal_separator;
  bool separator_given = false;
};

bool read_options(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--decimal-separator" && i + 1 < argc) {
      options.decimal_separator = argv[++i];
      options.separator_given = true;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      std::exit(kAllAnswered);
    } else if (arg.rfind("--", 0) == 0) {
      std::cerr << "kestrune: unknown option " << arg << "\n" << kUsage;
      return false;
    } else {
      options.calls.push_back(arg);
    }
  }
  return true;
}

void install_locale(const Options& options) {
  if (options.separator_given) {
    kestrune::install_user_locale(
        std::make_shared<kestrune::FixedLocale>(kestrune::from_utf8(options.decimal_separator)));
  } else {
    kestrune::install_user_locale(std::make_shared<kestrune::PosixLocale>());
  }
}

int report(const Outcome& outcome, bool json) {
  switch (outcome.kind) {
    case Outcome::Kind::answered:
      std::cout << (json ? kestrune::cli::format_json(outcome.result)
                         : kestrune::cli::format_plain(outcome.result))
                << '\n';
      return kAllAnswered;
    case Outcome::Kind::failed:
      if (json) {
        std::cout << R"({"failure":)"
                  << kestrune::cli::json_string(kestrune::from_utf8(outcome.message)) << "}\n";
      } else {
        std::cout << '\n';
        std::cerr << "kestrune: failure: " << outcome.message << '\n';
      }
      return kMemberFailed;
    case Outcome::Kind::syntax:
      if (json) {
        std::cout << R"({"syntax":)"
                  << kestrune::cli::json_string(kestrune::from_utf8(outcome.message)) << "}\n";
      } else {
        std::cout << '\n';
        std::cerr << "kestrune: cannot read the call: " << outcome.message << '\n';
      }
      return kUnreadable;
  }
  return kUnreadable;
}

int evaluate_line(kestrune::clsKestrune& object, std::string line, bool json) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::cout.flush();
  return report(
      kestrune::cli::evaluate(object, kestrune::cli::parse_call(kestrune::from_utf8(line))), json);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  Options options;
  if (!read_options(argc, argv, options)) return kUnreadable;
  install_locale(options);

  kestrune::clsKestrune object;
  int status = kAllAnswered;
  if (!options.calls.empty()) {
    for (const std::string& call : options.calls) {
      status = std::max(status, evaluate_line(object, call, options.json));
    }
  } else {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      status = std::max(status, evaluate_line(object, line, options.json));
    }
  }
  std::cout.flush();
  return status;
}
