// Call tables: worksheet calls with the answers they must give, kept as data so that the same
// cases run on Linux through the kestrune command line (member_calls_test.cpp) and on Windows
// through IDispatch::Invoke on kestrune.dll (tests/windows).
//
// A table file holds one case a line: the call as the command line reads it, a tab, and the
// expected answer as `kestrune --json` writes it. "#" starts a comment line; a line
// "@decimal-separator C" names the separator the user's locale must have for the table.
//
//   CallTable table = read_call_table(data_folder + "/member_calls.txt");
//   for (const CallCase& c : table.cases) check(c.call, c.expected_json);
//
// The function reference's examples are call tables too: in a page (docs/functions/*.md) every
// fenced block whose info string is "calls" (optionally "calls --decimal-separator ,") holds
// lines "call → answer". read_call_tables reads either kind of file, a page giving a table a
// block:
//
//   for (const CallTable& block : read_call_tables("docs/functions/krSEARCH.md")) ...
//
// On Linux a table runs through the program in one go, and every case whose answer differs
// comes back as a message naming its line:
//
//   for (const std::string& wrong : wrong_answers("member_calls.txt", table)) ADD_FAILURE() <<
//   wrong;
#pragma once

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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

inline constexpr std::string_view kSeparatorDirective = "@decimal-separator ";

inline CallTable read_call_table(const std::string& path) {
  CallTable table;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    table.error = "cannot open " + path;
    return table;
  }
  std::string text;
  std::size_t number = 0;
  while (std::getline(file, text)) {
    ++number;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text.front() == '#') continue;
    if (text.rfind(kSeparatorDirective, 0) == 0) {
      table.decimal_separator = text.substr(kSeparatorDirective.size());
      continue;
    }
    const std::size_t tab = text.find('\t');
    if (tab == std::string::npos) {
      table.error = path + ":" + std::to_string(number) + ": no tab between call and answer";
      return table;
    }
    table.cases.push_back({number, text.substr(0, tab), text.substr(tab + 1)});
  }
  return table;
}

namespace call_table_internal {

inline constexpr std::string_view kCallsInfo = "calls";
inline constexpr std::string_view kSeparatorOption = "--decimal-separator ";
inline constexpr std::string_view kArrow = "→";
inline constexpr std::size_t kShortestFence = 3;

inline std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

inline std::size_t leading_backticks(std::string_view line) {
  return std::min(line.find_first_not_of('`'), line.size());
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

// A page's examples, one call table per ```calls block. Other fenced blocks (those of any other
// info string, and any fence nested in a longer one) are left alone. `name` labels errors.
inline std::vector<CallTable> example_blocks(const std::string& name, const std::string& page) {
  using namespace call_table_internal;
  std::vector<CallTable> blocks;
  std::istringstream lines(page);
  std::string line;
  std::size_t number = 0, fence = 0;
  bool in_calls = false;
  while (std::getline(lines, line)) {
    ++number;
    const std::size_t backticks = leading_backticks(line);
    if (fence == 0 && backticks >= kShortestFence) {
      fence = backticks;
      const std::string_view info = trimmed(std::string_view(line).substr(backticks));
      in_calls = info.starts_with(kCallsInfo);
      if (!in_calls) continue;
      blocks.emplace_back();
      const std::size_t option = info.find(kSeparatorOption);
      if (option != std::string_view::npos) {
        blocks.back().decimal_separator = trimmed(info.substr(option + kSeparatorOption.size()));
      }
      continue;
    }
    if (fence != 0 && backticks >= fence && trimmed(line).size() == backticks) {
      fence = 0;
      in_calls = false;
      continue;
    }
    if (!in_calls || trimmed(line).empty()) continue;
    const std::size_t arrow = arrow_position(line);
    if (arrow == std::string_view::npos) {
      blocks.back().error = name + ":" + std::to_string(number) + ": no " + std::string(kArrow) +
                            " between call and answer";
      continue;
    }
    blocks.back().cases.push_back(
        {number, std::string(trimmed(std::string_view(line).substr(0, arrow))),
         std::string(trimmed(std::string_view(line).substr(arrow + kArrow.size())))});
  }
  return blocks;
}

// The tables of a file: a page's blocks, or the one table of a table file.
inline std::vector<CallTable> read_call_tables(const std::string& path) {
  if (!path.ends_with(".md")) return {read_call_table(path)};
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    CallTable unreadable;
    unreadable.error = "cannot open " + path;
    return {unreadable};
  }
  std::stringstream page;
  page << file.rdbuf();
  return example_blocks(path.substr(path.find_last_of("/\\") + 1), page.str());
}

#ifndef _WIN32

// The program beside the running test's build folder (build/<dir>/cli/kestrune), unless
// KESTRUNE_PROGRAM names another.
inline std::filesystem::path kestrune_program() {
  if (const char* named = std::getenv("KESTRUNE_PROGRAM")) return named;
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" /
         "kestrune";
}

// Runs every call of the table in one `kestrune --json` with the table's decimal separator and
// returns its output lines, one answer a call when all went well.
inline std::vector<std::string> program_answers(const std::filesystem::path& program,
                                                const CallTable& table) {
  char input_name[] = "/tmp/call_table_XXXXXX";
  const int input = mkstemp(input_name);
  if (input < 0) return {};
  close(input);
  {
    std::ofstream calls(input_name);
    for (const CallCase& c : table.cases) calls << c.call << '\n';
  }
  const std::string command = "'" + program.string() + "' --json --decimal-separator '" +
                              table.decimal_separator + "' < '" + input_name + "'";
  std::vector<std::string> lines;
  if (FILE* output = popen(command.c_str(), "r")) {
    std::string line;
    for (int c = std::fgetc(output); c != EOF; c = std::fgetc(output)) {
      if (c != '\n') {
        line += char(c);
        continue;
      }
      lines.push_back(line);
      line.clear();
    }
    pclose(output);
  }
  std::remove(input_name);
  return lines;
}

// Runs the table through the program and describes every case that does not answer as expected,
// as "source:line: call" with both answers; none when all agree.
inline std::vector<std::string> wrong_answers(const std::string& source, const CallTable& table) {
  const std::filesystem::path program = kestrune_program();
  if (!std::filesystem::exists(program)) return {program.string() + " is not built"};
  const std::vector<std::string> got = program_answers(program, table);
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
