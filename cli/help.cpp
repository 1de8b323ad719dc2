#include "cli/help.hpp"

#include <algorithm>

#include "automation/member_table.hpp"
#include "cli/help_pages.hpp"
#include "cli/suggestion.hpp"

namespace kestrune::cli {
namespace {

constexpr std::string_view kFence = "```";
// Fenced blocks lose their markers in the terminal and stand out by this indent instead.
constexpr std::string_view kBlockIndent = "    ";
constexpr std::size_t kGapAfterName = 2;

// What help shows for a topic: some Markdown, and the page it is part of when not all of it.
struct Excerpt {
  std::string_view markdown;
  const HelpPage* whole_page = nullptr;
};

const HelpPage* page_named(std::string_view topic) {
  const std::span<const HelpPage> pages = help_pages();
  const auto page =
      std::ranges::find_if(pages, [&](const HelpPage& p) { return same_name(p.topic, topic); });
  return page == pages.end() ? nullptr : &*page;
}

// Calls visit(line, offset) for each line of `text` (without its line break) and where it starts.
template <typename Visit>
void for_each_line(std::string_view text, Visit visit) {
  for (std::size_t offset = 0; offset < text.size();) {
    const std::size_t end = std::min(text.find('\n', offset), text.size());
    visit(text.substr(offset, end - offset), offset);
    offset = end + 1;
  }
}

// The level of a Markdown heading line ("## x" is 2), 0 for any other line.
std::size_t heading_level(std::string_view line) {
  const std::size_t hashes = line.find_first_not_of('#');
  return (hashes != 0 && hashes != std::string_view::npos && line[hashes] == ' ') ? hashes : 0;
}

// The section of `text` under the heading titled `title`, down to the next heading of its level
// or above; empty when there is no such heading.
std::string_view section_titled(std::string_view text, std::string_view title) {
  std::size_t start = std::string_view::npos, end = text.size(), level = 0;
  bool in_fence = false;
  for_each_line(text, [&](std::string_view line, std::size_t offset) {
    if (line.starts_with(kFence)) in_fence = !in_fence;
    const std::size_t line_level = in_fence ? 0 : heading_level(line);
    if (line_level == 0 || end != text.size()) return;
    if (start == std::string_view::npos && same_name(line.substr(line_level + 1), title)) {
      start = offset;
      level = line_level;
    } else if (start != std::string_view::npos && line_level <= level) {
      end = offset;
    }
  });
  return start == std::string_view::npos ? std::string_view() : text.substr(start, end - start);
}

// A member's own page, or the section of a shared page headed by its name.
std::optional<Excerpt> member_excerpt(std::string_view name) {
  if (const HelpPage* page = page_named(name)) return Excerpt{page->text};
  for (const HelpPage& page : help_pages()) {
    const std::string_view section = section_titled(page.text, name);
    if (!section.empty()) return Excerpt{section, &page};
  }
  return std::nullopt;
}

// Markdown as a terminal shows it: fence markers dropped, their blocks indented instead.
std::string terminal_text(const Excerpt& excerpt) {
  std::string shown;
  bool in_fence = false;
  for_each_line(excerpt.markdown, [&](std::string_view line, std::size_t) {
    if (line.starts_with(kFence)) {
      in_fence = !in_fence;
    } else {
      shown.append(in_fence ? kBlockIndent : "").append(line).append("\n");
    }
  });
  if (excerpt.whole_page != nullptr) {
    shown.erase(shown.find_last_not_of('\n') + 1);
    shown += "\n\nThe whole page: kestrune help " + std::string(excerpt.whole_page->topic) + '\n';
  }
  return shown;
}

bool is_member_page(const HelpPage& page) { return find_member(page.topic) != nullptr; }

}  // namespace

std::string help_index() {
  std::size_t width = 0;
  for (const MemberInfo& member : members()) width = std::max(width, member.name.size());
  const auto listing = [&](bool worksheet_functions) {
    std::string lines;
    for (const MemberInfo& member : members()) {
      if (member.worksheet_function != worksheet_functions) continue;
      lines.append("  ").append(member.name);
      lines.append(width - member.name.size() + kGapAfterName, ' ');
      lines.append(member.one_line_description()).append("\n");
    }
    return lines;
  };
  std::string index = "The worksheet functions (\"kestrune help NAME\" shows one's page):\n";
  index += listing(true) + "\nThe other members:\n" + listing(false);
  index += "\nOther pages (\"kestrune help PAGE\"):\n";
  for (const HelpPage& page : help_pages()) {
    if (!is_member_page(page)) index.append("  ").append(page.topic).append("\n");
  }
  return index;
}

std::optional<std::string> help_text(std::string_view topic) {
  std::optional<Excerpt> excerpt;
  if (const MemberInfo* member = find_member(topic)) excerpt = member_excerpt(member->name);
  if (!excerpt) {
    if (const HelpPage* page = page_named(topic)) excerpt = Excerpt{page->text};
  }
  return excerpt ? std::optional(terminal_text(*excerpt)) : std::nullopt;
}

std::vector<std::string_view> help_topics() {
  std::vector<std::string_view> topics = member_names();
  for (const HelpPage& page : help_pages()) {
    if (!is_member_page(page)) topics.push_back(page.topic);
  }
  return topics;
}

bool run_help(std::span<const std::string> topics, std::ostream& out, std::ostream& errors) {
  if (topics.empty()) {
    out << help_index();
    return true;
  }
  bool all_found = true;
  for (const std::string& topic : topics) {
    if (const std::optional<std::string> text = help_text(topic)) {
      out << *text;
    } else {
      errors << "kestrune help: no page named " << topic << did_you_mean(topic, help_topics())
             << '\n';
      all_found = false;
    }
  }
  return all_found;
}

}  // namespace kestrune::cli
