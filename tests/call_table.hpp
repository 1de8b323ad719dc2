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
// On Linux a table runs through the program in one go (the function reference's examples run
// the same way), and every case whose answer differs comes back as a message naming its line:
//
//   for (const std::string& wrong : wrong_answers("member_calls.txt", table)) ADD_FAILURE() <<
//   wrong;
#pragma once

#include <cstddef>
#include <fstream>
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
