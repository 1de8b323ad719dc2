// Call tables: worksheet calls with the answers they must give, kept as data so that the same
// cases run on Linux through the kestrune command line and on Windows through IDispatch::Invoke
// on kestrune.dll (tests/windows).
//
// A table file (tests/data/member_calls*.txt) holds one case a line: the call as the command
// line reads it, a tab, the answer as `kestrune --json` writes it; "#" starts a comment and
// "@decimal-separator C" names the separator the user's locale must have. A page of the function
// reference (docs/functions/*.md) gives one table per fenced block whose info string is "calls"
// (optionally "calls --decimal-separator ,"), with lines "call → answer".
//
//   for (const CallTable& table : read_call_tables("docs/functions/krSEARCH.md"))
//     for (const std::string& wrong : wrong_answers("krSEARCH.md", table)) ADD_FAILURE() << wrong;
#pragma once

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#endif

namespace kestrune::test {

struct CallCase {
  std::size_t line = 0;  // in the file, from 1
  std::string call;
  std::string expected_json;
};

struct CallTable {
  std::string decimal_separator = ".";
  std::vector<CallCase> cases;
  std::string error;  // empty when the file was read
};

namespace call_table_internal {

inline constexpr std::string_view kSeparatorDirective = "@decimal-separator ";
inline constexpr std::string_view kCallsInfo = "calls";
inline constexpr std::string_view kSeparatorOption = "--decimal-separator ";
inline constexpr std::string_view kArrow = "→";
inline constexpr std::size_t kShortestFence = 3;

inline std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Where the arrow between call and answer stands: the first one outside a quoted text of the
// call (a doubled quote inside a text toggles twice, so it needs no care of its own).
inline std::size_t arrow_position(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (!quoted && line.substr(i).starts_with(kArrow)) return i;
  }
  return std::string_view::npos;
}

}  // namespace call_table_internal

// The tables of a file's text: a page's ```calls blocks (any other fenced block, and a fence
// nested in a longer one, is left alone), or the one table of a table file. `name` labels
// errors.
inline std::vector<CallTable> parse_call_tables(const std::string& name, const std::string& text,
                                                bool page) {
  using namespace call_table_internal;
  std::vector<CallTable> tables(page ? 0 : 1);
  std::size_t fence = 0;  // the backticks of the open fence; 0 outside one
  bool in_calls = !page;
  std::istringstream lines(text);
  std::string line;
  for (std::size_t number = 1; std::getline(lines, line); ++number) {
    const std::size_t backticks = page ? std::min(line.find_first_not_of('`'), line.size()) : 0;
    if (fence == 0 && backticks >= kShortestFence) {
      fence = backticks;
      const std::string_view info = trimmed(std::string_view(line).substr(backticks));
      in_calls = info.starts_with(kCallsInfo);
      if (in_calls) tables.emplace_back();
      const std::size_t option = info.find(kSeparatorOption);
      if (in_calls && option != std::string_view::npos)
        tables.back().decimal_separator = trimmed(info.substr(option + kSeparatorOption.size()));
      continue;
    }
    if (fence != 0 && backticks >= fence && trimmed(line).size() == backticks) {
      fence = 0;
      in_calls = false;
      continue;
    }
    if (!in_calls || trimmed(line).empty() || (!page && line.starts_with('#'))) continue;
    if (!page && line.starts_with(kSeparatorDirective)) {
      tables.back().decimal_separator = trimmed(line.substr(kSeparatorDirective.size()));
      continue;
    }
    const std::string_view mark = page ? kArrow : "\t";
    const std::size_t at = page ? arrow_position(line) : line.find(mark);
    if (at == std::string::npos) {
      tables.back().error = name + ":" + std::to_string(number) + ": no " +
                            (page ? std::string(kArrow) : "tab") + " between call and answer";
      continue;
    }
    const std::string_view whole(line);
    tables.back().cases.push_back({number, std::string(trimmed(whole.substr(0, at))),
                                   std::string(trimmed(whole.substr(at + mark.size())))});
  }
  return tables;
}

// The tables of a file: a page (*.md) gives one a ```calls block, a table file exactly one.
inline std::vector<CallTable> read_call_tables(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  CallTable unreadable;
  unreadable.error = "cannot open " + path;
  if (!file) return {unreadable};
  std::stringstream text;
  text << file.rdbuf();
  return parse_call_tables(path, text.str(), path.ends_with(".md"));
}

inline CallTable read_call_table(const std::string& path) { return read_call_tables(path).front(); }

#ifndef _WIN32

struct CommandRun {
  std::string output;
  int status = -1;  // the exit status; -1 when the command did not exit
};

// Runs a shell command and collects its standard output.
inline CommandRun run_command(const std::string& command) {
  CommandRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
    run.output.append(chunk, n);
  const int raw = pclose(pipe);
  if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  return run;
}

// Runs every call of the table in one `kestrune --json` (the program beside the running test's
// build folder, build/<dir>/cli/kestrune) with the table's decimal separator, and describes
// every case that does not answer as expected, as "source:line: call" with both answers; none
// when all agree.
inline std::vector<std::string> wrong_answers(const std::string& source, const CallTable& table) {
  const std::filesystem::path program =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" /
      "kestrune";
  if (!std::filesystem::exists(program)) return {program.string() + " is not built"};
  char input_name[] = "/tmp/call_table_XXXXXX";
  const int input = mkstemp(input_name);
  if (input < 0) return {"no temporary file for the calls"};
  close(input);
  {
    std::ofstream calls(input_name);
    for (const CallCase& c : table.cases) calls << c.call << '\n';
  }
  std::istringstream output(run_command("'" + program.string() + "' --json --decimal-separator '" +
                                        table.decimal_separator + "' < '" + input_name + "'")
                                .output);
  std::remove(input_name);
  std::vector<std::string> got;
  for (std::string line; std::getline(output, line);) got.push_back(line);
  if (got.size() != table.cases.size()) {
    return {source + ": " + std::to_string(got.size()) + " answers to " +
            std::to_string(table.cases.size()) + " calls"};
  }
  std::vector<std::string> wrong;
  for (std::size_t i = 0; i < got.size(); ++i) {
    const CallCase& c = table.cases[i];
    if (got[i] == c.expected_json) continue;
    wrong.push_back(source + ":" + std::to_string(c.line) + ": " + c.call + "\n  expected " +
                    c.expected_json + "\n  answered " + got[i]);
  }
  return wrong;
}

#endif

}  // namespace kestrune::test
