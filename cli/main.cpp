// kestrune: evaluates worksheet calls written as in a cell, or fills one down a CSV table.
//
//   kestrune [--json] [--decimal-separator C] CALL...
//   kestrune [--json] [--decimal-separator C]          (calls from standard input, one a line)
//   kestrune fill FORMULA [INPUT.csv] [-o OUTPUT.csv] [--header] [--threads N] ...  (fill.hpp)
#include <unistd.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/utf8.hpp"
#include "cli/evaluate.hpp"
#include "cli/fill.hpp"
#include "cli/help.hpp"
#include "cli/output.hpp"
#include "cli/suggestion.hpp"
#include "platform/posix/posix_host_platform.hpp"
#include "platform/posix/posix_locale.hpp"
#include "variant/locale.hpp"
#include "variant/mdl_constants.hpp"

namespace {

using kestrune::cli::Outcome;

// Exit statuses, worst wins.
constexpr int kAllAnswered = 0;
constexpr int kMemberFailed = 1;
constexpr int kUnreadable = 2;

constexpr const char* kUsage =
    "usage: kestrune [--json] [--decimal-separator C] [CALL...]\n"
    "       kestrune fill FORMULA [INPUT.csv] [-o OUTPUT.csv] [--header] [--threads N]\n"
    "Evaluates worksheet calls such as krSEARCH(\"a-b-c\", \"-\", , 3); without CALL arguments,\n"
    "reads one call a line from standard input. \"kestrune fill --help\" tells about fill.\n"
    "\"kestrune help\" lists the functions, \"kestrune help NAME\" shows one's page.\n";

constexpr std::string_view kOptions[] = {"--json", "--decimal-separator", "--help", "--version"};

struct Options {
  bool json = false;
  std::vector<std::string> calls;
  std::optional<std::string> decimal_separator;
};

bool read_options(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--decimal-separator" && i + 1 < argc) {
      options.decimal_separator = argv[++i];
      const std::string problem = kestrune::cli::decimal_separator_problem(argv[i]);
      if (!problem.empty()) {
        std::cerr << "kestrune: " << problem << '\n';
        return false;
      }
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      std::exit(kAllAnswered);
    } else if (arg == "--version") {
      std::cout << "kestrune " << kestrune::to_utf8(kestrune::mdl_Constants::version) << '\n';
      std::exit(kAllAnswered);
    } else if (arg.rfind("--", 0) == 0) {
      std::cerr << "kestrune: unknown option " << arg << kestrune::cli::did_you_mean(arg, kOptions)
                << "\n"
                << kUsage;
      return false;
    } else {
      options.calls.push_back(arg);
    }
  }
  return true;
}

// The posix platform pieces: the locale's decimal separator (unless one is named) and the
// host-integration pieces every thread's objects use.
void install_platform(const std::optional<std::string>& decimal_separator) {
  kestrune::install_default_host_platform(&kestrune::make_posix_host_platform);
  if (decimal_separator) {
    kestrune::install_user_locale(
        std::make_shared<kestrune::FixedLocale>(kestrune::from_utf8(*decimal_separator)));
  } else {
    kestrune::install_user_locale(std::make_shared<kestrune::PosixLocale>());
  }
}

int fill_command(int argc, char** argv) {
  std::string error;
  const std::vector<std::string> arguments(argv + 2, argv + argc);
  std::optional<kestrune::cli::FillCommand> command =
      kestrune::cli::read_fill_command(arguments, error);
  if (!command) {
    std::cerr << "kestrune fill: " << error << '\n' << kestrune::cli::kFillUsage;
    return kUnreadable;
  }
  if (command->help) {
    std::cout << kestrune::cli::kFillUsage;
    return kAllAnswered;
  }
  install_platform(command->decimal_separator);
  command->options.progress = isatty(STDERR_FILENO) == 1;
  return kestrune::cli::run_fill_command(std::move(*command), std::cin, std::cout, std::cerr)
      .exit_status();
}

// The answer as the chosen output writes it. Writing can fail where the member did not (a
// number needs the decimal separator the platform may not report): that is the call's failure.
Outcome with_answer_text(Outcome outcome, bool json, std::string& text) {
  if (outcome.kind != Outcome::Kind::answered) return outcome;
  try {
    text = json ? kestrune::cli::format_json(outcome.result)
                : kestrune::cli::format_plain(outcome.result);
  } catch (const std::exception& failure) {
    return {Outcome::Kind::failed, kestrune::Variant(), failure.what()};
  }
  return outcome;
}

// A failure or an unreadable call: an object in JSON, else an empty answer line and the
// message on standard error.
void report_problem(const char* json_key, const char* plain_prefix, const std::string& message,
                    bool json) {
  if (json) {
    std::cout << "{\"" << json_key
              << "\":" << kestrune::cli::json_string(kestrune::from_utf8(message)) << "}\n";
  } else {
    std::cout << '\n';
    std::cerr << "kestrune: " << plain_prefix << message << '\n';
  }
}

int report(const Outcome& outcome, const std::string& answer, bool json) {
  switch (outcome.kind) {
    case Outcome::Kind::answered:
      std::cout << answer << '\n';
      return kAllAnswered;
    case Outcome::Kind::failed:
      report_problem("failure", "failure: ", outcome.message, json);
      return kMemberFailed;
    case Outcome::Kind::syntax:
      report_problem("syntax", "cannot read the call: ", outcome.message, json);
      return kUnreadable;
  }
  return kUnreadable;
}

int evaluate_line(kestrune::clsKestrune& object, std::string line, bool json) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::cout.flush();
  std::string answer;
  const Outcome outcome = with_answer_text(
      kestrune::cli::evaluate(object, kestrune::cli::parse_call(kestrune::from_utf8(line))), json,
      answer);
  return report(outcome, answer, json);
}

// Every call of the command line or of standard input, until the answers cannot be written.
int evaluate_calls(const Options& options) {
  kestrune::clsKestrune object;
  int status = kAllAnswered;
  // Answers one call; false once the answers can no longer be written.
  const auto answer = [&](const std::string& call) {
    status = std::max(status, evaluate_line(object, call, options.json));
    return static_cast<bool>(std::cout);
  };
  if (!options.calls.empty()) {
    for (const std::string& call : options.calls) {
      if (!answer(call)) break;
    }
  } else {
    std::string line;
    while (std::getline(std::cin, line)) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      if (!answer(line)) break;
    }
    if (std::cin.bad()) {
      std::cerr << "kestrune: standard input could not be read\n";
      status = kUnreadable;
    }
  }
  if (!std::cout.flush()) {
    std::cerr << "kestrune: the answers could not be written\n";
    status = kUnreadable;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  try {
    if (argc > 1 && std::string(argv[1]) == "fill") return fill_command(argc, argv);
    if (argc > 1 && std::string(argv[1]) == "help") {
      const std::vector<std::string> topics(argv + 2, argv + argc);
      return kestrune::cli::run_help(topics, std::cout, std::cerr) ? kAllAnswered : kUnreadable;
    }
    Options options;
    if (!read_options(argc, argv, options)) return kUnreadable;
    install_platform(options.decimal_separator);
    return evaluate_calls(options);
  } catch (const std::exception& failure) {  // out of memory outside any call, say
    std::cerr << "kestrune: " << failure.what() << '\n';
    return kUnreadable;
  }
}
