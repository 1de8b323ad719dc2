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

struct DeclaredParameter {
  std::string name;
  bool optional;
  bool by_reference;
  bool list;
};

struct DeclaredMember {
  std::int32_t dispatch_id;
  std::string name;
  std::vector<DeclaredParameter> parameters;
  ResultKind result;
};

std::string idl_text() {
  std::ifstream file(KESTRUNE_IDL);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Reads the interface's methods: `[id(0x...)] HRESULT name(params);`.
std::vector<DeclaredMember> declared_members(const std::string& idl) {
  static const std::regex method(R"(\[id\((0x[0-9A-Fa-f]+)\)\]\s*HRESULT\s+(\w+)\(([\s\S]*?)\);)");
  static const std::regex parameter(R"(\[([^\]]*)\]\s*(SAFEARRAY\(VARIANT\)|\w+)\s*(\*?)\s*(\w+))");
  std::vector<DeclaredMember> found;
  for (auto m = std::sregex_iterator(idl.begin(), idl.end(), method); m != std::sregex_iterator();
       ++m) {
    DeclaredMember member{std::int32_t(std::stoul((*m)[1].str(), nullptr, 16)),
                          (*m)[2].str(),
                          {},
                          ResultKind::nothing};
    const std::string list = (*m)[3].str();
    for (auto p = std::sregex_iterator(list.begin(), list.end(), parameter);
         p != std::sregex_iterator(); ++p) {
      const std::string attributes = (*p)[1].str(), type = (*p)[2].str();
      if (attributes.find("retval") != std::string::npos) {
        member.result = type == "BSTR" ? ResultKind::text : ResultKind::variant;
        continue;
      }
      member.parameters.push_back(
          {(*p)[4].str(), attributes.find("optional") != std::string::npos,
           attributes.find("in, out") != std::string::npos && !(*p)[3].str().empty(),
           type == "SAFEARRAY(VARIANT)"});
    }
    found.push_back(std::move(member));
  }
  return found;
}

TEST(MemberTable, AgreesWithTheTypeLibrarySource) {
  const std::vector<DeclaredMember> declared = declared_members(idl_text());
  ASSERT_EQ(declared.size(), members().size());
  for (std::size_t i = 0; i < declared.size(); ++i) {
    const MemberInfo& member = members()[i];
    const DeclaredMember& idl = declared[i];
    SCOPED_TRACE(idl.name);
    EXPECT_EQ(member.slot, int(i) + 1);
    EXPECT_EQ(member.name, idl.name);
    EXPECT_EQ(member.dispatch_id, idl.dispatch_id);
    EXPECT_EQ(member.result, idl.result);
    ASSERT_EQ(member.parameters.size(), idl.parameters.size());
    for (std::size_t k = 0; k < idl.parameters.size(); ++k) {
      const ParameterInfo& parameter = member.parameters[k];
      EXPECT_EQ(parameter.name, idl.parameters[k].name);
      EXPECT_EQ(parameter.optional, idl.parameters[k].optional) << parameter.name;
      EXPECT_EQ(parameter.by_reference, idl.parameters[k].by_reference) << parameter.name;
      EXPECT_EQ(parameter.gathers_list, idl.parameters[k].list) << parameter.name;
    }
  }
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
