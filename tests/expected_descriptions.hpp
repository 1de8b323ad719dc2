// The thirteen function descriptions the host must receive, in order, written out as the
// tests expect them (not taken from the code that sends them). Shared by the Linux tests and
// the Windows client.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "variant/variant.hpp"

namespace kestrune::test {

struct ExpectedDescription {
  std::u16string_view macro;
  std::u16string_view text;
};

inline constexpr std::array<ExpectedDescription, 13> kExpectedDescriptions{{
    {u"'kestrune.xla'!krSEARCH", u"Extremely versatile and flexible text search."},
    {u"'kestrune.xla'!krREPLACE", u"Extremely versatile and flexible text replacement."},
    {u"'kestrune.xla'!krCOUNTINCELL",
     u"Counts the occurrences of a given string in a worksheet cell, or within in any text "
     u"string, allowing versatile and flexible criteria."},
    {u"'kestrune.xla'!krGETWORD",
     u"Returns the nth word in a string, with allowing versatile and flexible criteria for word "
     u"separators."},
    {u"'kestrune.xla'!krEXCLUDE", u"Excludes undesired characters from text."},
    {u"'kestrune.xla'!krEXCLUDENOTNUM",
     u"Excludes non-numeric and other undesired characters and/or digits from text."},
    {u"'kestrune.xla'!krEXTRACT", u"Retrieves desired characters from text."},
    {u"'kestrune.xla'!krEXTRACTNUM", u"Retrieves numeric and other desired characters from text."},
    {u"'kestrune.xla'!krST", u"Returns the English ordinal indicator of a cardinal number."},
    {u"'kestrune.xla'!krCONCATULA",
     u"Evaluates a concatenated formula, or any other all-text formula in which the operator is "
     u"text."},
    {u"'kestrune.xla'!krTEST", u"Determines whether kestrune is working properly."},
    {u"'kestrune.xla'!krVERSION", u"Returns the version number of kestrune."},
    {u"'kestrune.xla'!More_Information",
     u"For more information on kestrune worksheet functions, go to the Tools menu and choose "
     u"'kestrune' | 'kestrune Help and Function Reference'. Or, browse to "
     u"https://www.kestrune.com and click on 'Function Reference'."},
}};

// The host's MacroOptions call for description `row`, by position: the macro, its text, four
// arguments left out, the category.
inline std::vector<Variant> expected_macro_options(std::size_t row) {
  const ExpectedDescription& description = kExpectedDescriptions[row];
  std::vector<Variant> arguments(7, Variant::missing());
  arguments[0] = Variant::text(std::u16string(description.macro));
  arguments[1] = Variant::text(std::u16string(description.text));
  arguments[6] = Variant::text(u"kestrune");
  return arguments;
}

}  // namespace kestrune::test
