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
#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace kestrune::test
