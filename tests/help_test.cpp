// `kestrune help` and the suggestions for misspelt names: the built-in pages against docs/,
// and the nearest-name rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "automation/member_table.hpp"
#include "cli/help.hpp"
#include "cli/help_pages.hpp"
#include "cli/suggestion.hpp"

namespace kestrune::cli {
namespace {

struct DistanceCase {
  std::string_view a;
  std::string_view b;
  std::size_t distance;
};

TEST(Suggestion, EditDistance) {
  const DistanceCase cases[] = {
      {"krSEARCH", "krSEARCH", 0},
      {"krsearch", "KRSEARCH", 0},
      {"krSAERCH", "krSEARCH", 1},  // two neighbours swapped
      {"", "abc", 3},
      {"krST", "krTEST", 2},
      {"ca", "abc", 3},
  };
  for (const DistanceCase& c : cases) {
    EXPECT_EQ(edit_distance(c.a, c.b), c.distance) << c.a << " / " << c.b;
    EXPECT_EQ(edit_distance(c.b, c.a), c.distance) << c.b << " / " << c.a;
  }
}

struct NearestCase {
  std::string_view word;
  std::optional<std::string_view> nearest;
};

TEST(Suggestion, NearestMember) {
  const NearestCase cases[] = {
      {"krEXTRACTNUMM", "krEXTRACTNUM"},
      {"krexcludenotnmu", "krEXCLUDENOTNUM"},
      {"Revrese", "Reverse"},
      {"krsearch", std::nullopt},  // a name of its own in another letter case
      {"SEARCH", "krSEARCH"},
      {"krEXCLUDENOTNUMBER", "krEXCLUDENOTNUM"},  // three edits: a third of a long name
      {"krSRCHX", std::nullopt},                  // three edits: too many for seven letters
      {"xyzzy", std::nullopt},
      {"", std::nullopt},
  };
  const std::vector<std::string_view> names = member_names();
  for (const NearestCase& c : cases) {
    EXPECT_EQ(nearest_name(c.word, names), c.nearest) << c.word;
  }
  EXPECT_EQ(did_you_mean("xyzzy", names), "");
}

TEST(Help, EveryPageUnderDocsIsBuiltIn) {
  std::size_t on_disk = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(KESTRUNE_DOCS)) {
    on_disk += entry.path().extension() == ".md";
  }
  EXPECT_EQ(help_pages().size(), on_disk);
  for (const HelpPage& page : help_pages()) {
    EXPECT_TRUE(help_text(page.topic).has_value()) << page.topic;
  }
}

TEST(Help, EveryMemberHasItsText) {
  for (const MemberInfo& member : members()) {
    const std::optional<std::string> text = help_text(member.name);
    ASSERT_TRUE(text.has_value()) << member.name;
    EXPECT_NE(text->find("# " + std::string(member.name)), std::string::npos) << member.name;
    EXPECT_EQ(text->find("```"), std::string::npos) << member.name;
  }
}

struct TopicCase {
  std::string_view topic;
  std::string_view starts_with;
  std::string_view never_shows;  // what lies outside the topic's own text
};

TEST(Help, Topics) {
  const TopicCase cases[] = {
      {"KRregex", "# krREGEX\n", "# krSEARCH"},
      {"krEXCLUDE", "## krEXCLUDE\n", "## krEXCLUDENOTNUM"},
      {"krEXTRACTNUM", "## krEXTRACTNUM\n", "## krEXTRACT\n"},
      {"Reverse", "## Reverse\n", "## krABOUT"},
      {"search-syntax", "# The search syntax\n", "# krSEARCH"},
      {"functions", "# kestrune function reference\n", "\n```"},
      {"Command-Line", "# The command line", "\n```"},
  };
  for (const TopicCase& c : cases) {
    const std::optional<std::string> text = help_text(c.topic);
    ASSERT_TRUE(text.has_value()) << c.topic;
    EXPECT_TRUE(text->starts_with(c.starts_with)) << c.topic << ":\n" << *text;
    EXPECT_EQ(text->find(c.never_shows), std::string::npos) << c.topic;
  }
  EXPECT_FALSE(help_text("krSERCH").has_value());
  EXPECT_FALSE(help_text("Arguments").has_value());
}

}  // namespace
}  // namespace kestrune::cli
