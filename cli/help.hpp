// `kestrune help`: the reference pages, built into the program, shown in the terminal.
//
//   kestrune help               the functions with their one-line descriptions, and the pages
//   kestrune help krsearch      a function's page (or its section of a shared page), any case
//   kestrune help search-syntax any other page, by its file name
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::cli {

// The listing `kestrune help` prints.
std::string help_index();

// A topic's text as the terminal shows it: a page by its topic, or a member's page or its
// section of a shared page; nothing for an unknown topic.
std::optional<std::string> help_text(std::string_view topic);

// Every topic help_text knows: the pages' and the members' names.
std::vector<std::string_view> help_topics();

// Runs `kestrune help TOPIC...`: false when a topic is unknown (said on `errors`, with the
// nearest topic).
bool run_help(std::span<const std::string> topics, std::ostream& out, std::ostream& errors);

}  // namespace kestrune::cli
