// The shared call tables (tests/data/member_calls*.txt) through the kestrune command line: the
// same cases the Windows automation client runs through kestrune.dll.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "call_table.hpp"

namespace kestrune {
namespace {

std::string data_file(const std::string& name) {
  const char* folder = std::getenv("KESTRUNE_TEST_DATA");
  return std::string(folder != nullptr ? folder : "tests/data") + "/" + name;
}

void expect_table(const std::string& name) {
  const test::CallTable table = test::read_call_table(data_file(name));
  ASSERT_EQ(table.error, "");
  ASSERT_FALSE(table.cases.empty()) << name;
  for (const std::string& wrong : test::wrong_answers(name, table)) ADD_FAILURE() << wrong;
}

TEST(MemberCalls, WithAPointAsDecimalSeparator) { expect_table("member_calls.txt"); }

TEST(MemberCalls, WithACommaAsDecimalSeparator) { expect_table("member_calls_comma.txt"); }

}  // namespace
}  // namespace kestrune
