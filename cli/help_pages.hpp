// The reference's Markdown pages, built into the program from docs/ (cmake/EmbedHelpPages.cmake).
#pragma once

#include <span>
#include <string_view>

namespace kestrune::cli {

struct HelpPage {
  std::string_view topic;  // the file name without ".md"; a folder's README goes by the folder
  std::string_view path;   // under docs/
  std::string_view text;   // the Markdown as written
};

// Every page, ordered by path.
std::span<const HelpPage> help_pages();

}  // namespace kestrune::cli
