// The member table against the type library's source: the automation interface and the table
// must declare the same members, in the same slots, with the same parameters. (The Wine run
// checks the compiled type library; this catches a drift without it.)
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"

namespace kestrune {
namespace {

std::string idl_text() {
  std::ifstream file(KESTRUNE_IDL);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Walks the interface's methods, `[id(0x...)] HRESULT name(params);`, beside the table's members.
TEST(MemberTable, AgreesWithTheTypeLibrarySource) {
  static const std::regex method(R"(\[id\((0x[0-9A-Fa-f]+)\)\]\s*HRESULT\s+(\w+)\(([\s\S]*?)\);)");
  static const std::regex parameter(R"(\[([^\]]*)\]\s*(SAFEARRAY\(VARIANT\)|\w+)\s*(\*?)\s*(\w+))");
  const std::string idl = idl_text();
  std::size_t slot = 0;
  for (auto m = std::sregex_iterator(idl.begin(), idl.end(), method); m != std::sregex_iterator();
       ++m, ++slot) {
    ASSERT_LT(slot, members().size()) << (*m)[2];
    const MemberInfo& member = members()[slot];
    SCOPED_TRACE(member.name);
    EXPECT_EQ(member.slot, int(slot) + 1);
    EXPECT_EQ(member.name, (*m)[2].str());
    EXPECT_EQ(member.dispatch_id, std::int32_t(std::stoul((*m)[1].str(), nullptr, 16)));
    const std::string list = (*m)[3].str();
    ResultKind result = ResultKind::nothing;
    std::size_t k = 0;
    for (auto p = std::sregex_iterator(list.begin(), list.end(), parameter);
         p != std::sregex_iterator(); ++p) {
      const std::string attributes = (*p)[1].str(), type = (*p)[2].str();
      if (attributes.find("retval") != std::string::npos) {
        result = type == "BSTR" ? ResultKind::text : ResultKind::variant;
        continue;
      }
      ASSERT_LT(k, member.parameters.size()) << (*p)[4];
      const ParameterInfo& declared = member.parameters[k++];
      EXPECT_EQ(declared.name, (*p)[4].str());
      EXPECT_EQ(declared.optional, attributes.find("optional") != std::string::npos)
          << declared.name;
      EXPECT_EQ(declared.by_reference,
                attributes.find("in, out") != std::string::npos && (*p)[3].length() > 0)
          << declared.name;
      EXPECT_EQ(declared.gathers_list, type == "SAFEARRAY(VARIANT)") << declared.name;
    }
    EXPECT_EQ(k, member.parameters.size());
    EXPECT_EQ(member.result, result);
  }
  EXPECT_EQ(slot, members().size());
}

// Plain text a host dialog shows as it is: printable ASCII, no line breaks.
bool plain_text(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

TEST(MemberTable, DescribesEveryMemberAndParameterForTheHostDialogs) {
  for (const MemberInfo& member : members()) {
    SCOPED_TRACE(member.name);
    EXPECT_NE(member.description.empty(), member.summary.empty())
        << "a summary exactly where the host has no description";
    EXPECT_TRUE(plain_text(member.summary));
    for (const ParameterInfo& parameter : member.parameters) {
      EXPECT_FALSE(parameter.help.empty()) << parameter.name;
      EXPECT_LE(parameter.help.size(), kParameterHelpLimit) << parameter.name;
      EXPECT_TRUE(plain_text(parameter.help)) << parameter.name;
    }
  }
}

TEST(MemberTable, FindsMembersByNameAndDispatchId) {
  for (const MemberInfo& member : members()) {
    std::string lower(member.name);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(find_member(lower), &member);
    EXPECT_EQ(find_member(member.dispatch_id), &member);
  }
  EXPECT_EQ(find_member("krSEARCHX"), nullptr);
  EXPECT_EQ(find_member("krSEARC"), nullptr);
  EXPECT_EQ(find_member(std::int32_t(0x60030002)), nullptr);
}

}  // namespace
}  // namespace kestrune
