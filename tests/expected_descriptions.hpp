// The thirteen function descriptions the host must receive, in order: the described worksheet
// functions' texts from the member table, then the information macro's, written out here as
// users have seen it. Shared by the Linux tests and the Windows client.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"
#include "base/utf8.hpp"
#include "variant/variant.hpp"

namespace kestrune::test {

struct ExpectedDescription {
  std::u16string macro;
  std::u16string text;
};

inline const std::vector<ExpectedDescription> kExpectedDescriptions = [] {
  constexpr std::string_view kOrder[] = {
      "krSEARCH",  "krREPLACE",    "krCOUNTINCELL", "krGETWORD",   "krEXCLUDE", "krEXCLUDENOTNUM",
      "krEXTRACT", "krEXTRACTNUM", "krST",          "krCONCATULA", "krTEST",    "krVERSION"};
  std::vector<ExpectedDescription> all;
  for (std::string_view name : kOrder)
    all.push_back(
        {u"'kestrune.xla'!" + from_utf8(name), from_utf8(find_member(name)->description)});
  all.push_back(
      {u"'kestrune.xla'!More_Information",
       u"For more information on kestrune worksheet functions, go to the Tools menu and choose "
       u"'kestrune' | 'kestrune Help and Function Reference'. Or, browse to "
       u"https://www.kestrune.com and click on 'Function Reference'."});
  return all;
}();

// The host's MacroOptions call for description `row`, by position: the macro, its text, four
// arguments left out, the category.
inline std::vector<Variant> expected_macro_options(std::size_t row) {
  std::vector<Variant> arguments(7, Variant::missing());
  arguments[0] = Variant::text(kExpectedDescriptions[row].macro);
  arguments[1] = Variant::text(kExpectedDescriptions[row].text);
  arguments[6] = Variant::text(u"kestrune");
  return arguments;
}

}  // namespace kestrune::test
