// The function reference (docs/functions/*.md) against the program and the member table.
//
// Every example of a page is a case of a call table (call_table.hpp reads the ```calls blocks),
// answered through the kestrune command line exactly as the shared call tables are, and
// reported by page and line when the answer differs; the Windows client runs them too. The pages
// must also say what the member table says: each member has a section headed by its name that gives
// every parameter's help text, and the index gives each member's one-line description.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"
#include "call_table.hpp"

namespace kestrune {
namespace {

namespace fs = std::filesystem;

struct Page {
  std::string name;  // the file name, as failures report it
  std::string text;
};

std::vector<Page> pages() {
  std::vector<Page> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(KESTRUNE_FUNCTION_DOCS)) {
    if (entry.path().extension() != ".md") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    found.push_back({entry.path().filename().string(), text.str()});
  }
  std::sort(found.begin(), found.end(),
            [](const Page& a, const Page& b) { return a.name < b.name; });
  return found;
}

using test::call_table_internal::trimmed;

// The text with every run of blanks and line breaks made one blank, so that a sentence wrapped
// over lines of a page still reads as the sentence.
std::string one_line(std::string_view text) {
  std::string joined;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (blank && (joined.empty() || joined.back() == ' ')) continue;
    joined += blank ? ' ' : c;
  }
  return joined;
}

std::size_t heading_level(std::string_view line) {
  const std::size_t hashes = std::min(line.find_first_not_of('#'), line.size());
  return hashes > 0 && line.substr(hashes).starts_with(" ") ? hashes : 0;
}

// The section of the pages headed "# name" (any level) down to the next heading of the same or
// a higher level; empty when no page has one.
std::string section(const std::vector<Page>& all, std::string_view name) {
  for (const Page& page : all) {
    std::istringstream lines(page.text);
    std::string line, text;
    std::size_t level = 0;
    while (std::getline(lines, line)) {
      const std::size_t heading = heading_level(line);
      if (level != 0 && heading != 0 && heading <= level) break;
      if (level == 0 && heading != 0 && trimmed(std::string_view(line).substr(heading)) == name) {
        level = heading;
      }
      if (level != 0) text += line + '\n';
    }
    if (level != 0) return text;
  }
  return {};
}

TEST(DocsExamples, AnswerAsThePagesSay) {
  std::size_t count = 0;
  for (const Page& page : pages()) {
    for (const test::CallTable& block : test::parse_call_tables(page.name, page.text, true)) {
      EXPECT_EQ(block.error, "");
      count += block.cases.size();
      if (block.cases.empty()) continue;
      for (const std::string& wrong : test::wrong_answers(page.name, block)) {
        ADD_FAILURE() << wrong;
      }
    }
  }
  EXPECT_GT(count, 0u) << "no examples found in " << KESTRUNE_FUNCTION_DOCS;
}

TEST(DocsExamples, EveryMemberIsDescribedAsTheMemberTableSays) {
  const std::vector<Page> all = pages();
  const auto index = std::find_if(all.begin(), all.end(),
                                  [](const Page& page) { return page.name == "README.md"; });
  ASSERT_NE(index, all.end());
  const std::string index_text = one_line(index->text);
  for (const MemberInfo& member : members()) {
    SCOPED_TRACE(member.name);
    EXPECT_NE(index_text.find(one_line(member.one_line_description())), std::string::npos)
        << "the index gives the one-line description";
    const std::string text = one_line(section(all, member.name));
    ASSERT_FALSE(text.empty()) << "a page has a section headed " << member.name;
    for (const ParameterInfo& parameter : member.parameters) {
      EXPECT_NE(text.find(one_line(parameter.help)), std::string::npos)
          << parameter.name << "'s help text";
    }
  }
}

}  // namespace
}  // namespace kestrune
