// The shared call tables (tests/data/member_calls*.txt) through the kestrune command line: the
// same cases the Windows automation client runs through kestrune.dll.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "call_table.hpp"

namespace kestrune {
namespace {

namespace fs = std::filesystem;

// The program beside this test's build folder (build/<dir>/cli/kestrune), unless
// KESTRUNE_PROGRAM names another.
fs::path program() {
  if (const char* named = std::getenv("KESTRUNE_PROGRAM")) return named;
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" / "kestrune";
}

std::string data_file(const std::string& name) {
  const char* folder = std::getenv("KESTRUNE_TEST_DATA");
  return std::string(folder != nullptr ? folder : "tests/data") + "/" + name;
}

// Runs every call of the table in one `kestrune --json` and returns its output lines.
std::vector<std::string> answers(const test::CallTable& table) {
  char input_name[] = "/tmp/member_calls_XXXXXX";
  const int input = mkstemp(input_name);
  if (input < 0) return {};
  close(input);
  {
    std::ofstream calls(input_name);
    for (const test::CallCase& c : table.cases) calls << c.call << '\n';
  }
  const std::string command = "'" + program().string() + "' --json --decimal-separator '" +
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

void expect_table(const std::string& name) {
  const test::CallTable table = test::read_call_table(data_file(name));
  ASSERT_EQ(table.error, "");
  ASSERT_FALSE(table.cases.empty()) << name;
  ASSERT_TRUE(fs::exists(program())) << program() << " is not built";
  const std::vector<std::string> got = answers(table);
  ASSERT_EQ(got.size(), table.cases.size()) << "one answer a call";
  for (std::size_t i = 0; i < got.size(); ++i) {
    const test::CallCase& c = table.cases[i];
    EXPECT_EQ(got[i], c.expected_json) << name << ":" << c.line << ": " << c.call;
  }
}

TEST(MemberCalls, WithAPointAsDecimalSeparator) { expect_table("member_calls.txt"); }

TEST(MemberCalls, WithACommaAsDecimalSeparator) { expect_table("member_calls_comma.txt"); }

}  // namespace
}  // namespace kestrune
