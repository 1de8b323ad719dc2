// The character filters: the number filter, the reading of the open argument list, and what the
// four list members do with values a worksheet call cannot hand over, failures included.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/failure.hpp"
#include "base/utf8.hpp"
#include "filters/char_filters.hpp"
#include "filters/filter_arguments.hpp"
#include "filters/number_filter.hpp"
#include "test_support.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

using test::cell;
using test::kNA;
using test::missing;
using test::number;
using test::text;

// An open argument list as a worksheet hands it over: one dimension, lower bound 0 unless said.
Variant list_of(std::vector<Variant> arguments, std::int32_t lower = 0) {
  Array list = Array::one_dimensional(arguments.size(), lower);
  for (std::size_t i = 0; i < arguments.size(); ++i) list.elements()[i] = arguments[i];
  return Variant::array(std::move(list));
}

// A range's value: cells row by row.
Variant range_of(std::size_t rows, std::size_t columns, std::vector<Variant> cells) {
  Array range = Array::two_dimensional(rows, columns);
  range.elements() = std::move(cells);
  return Variant::array(std::move(range));
}

TEST(NumberFilter, KeepsTheCharactersOfANumber) {
  // With "." as the separator, by row: parentheses make a number negative only while ")" is the
  // last thing seen; only a leading minus and the first separator are kept; exponents in the form
  // scientific notation shows; a pending "E" survives letters and punctuation, only a digit or the
  // separator ends it; outside ASCII every character is a letter, never a digit or exponent mark.
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"(45", u"45"},      {u")45(", u"45"},       {u"(5)-", u"-5"},      {u"(.5)", u"-.5"},
      {u".5E-2", u".5E-2"}, {u"1.E+5", u"1.E+5"},   {u"E+5", u"5"},        {u"1E+2E+3", u"1E+23"},
      {u"1EE+5", u"1E+5"},  {u"1Ex+5", u"1E+5"},    {u"1E 5", u"15"},      {u"1E.+5", u"1.5"},
      {u"(1E+)", u"-1"},    {u"\uFF11\uFF12", u""}, {u"1\u0415+5", u"15"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(number_characters(input, u'.'), expected) << to_utf8(input);
  }
  EXPECT_EQ(number_characters(u"1,5E+10 m", u','), u"1,5E+10");
  EXPECT_EQ(number_characters(u"1\u066B5", u'\u066B'), u"15");  // never a separator either
}

TEST(NumberFilter, FinishLooksAtWhateverTheCallerAppended) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"5E", u"5"}, {u"xE+", u"x"}, {u"E5", u""}, {u"EE", u"E"}, {u"1E+5", u"1E+5"}, {u"", u""},
  };
  for (const auto& [appended, expected] : cases) {
    std::u16string output = appended;
    NumberFilter().Finish(output);
    EXPECT_EQ(output, expected);
  }
}

TEST(ReadFilterArguments, FirstNonEmptyTextIsTheTextAndLaterOnesAreItems) {
  struct Case {
    const char* what;
    Variant arguments;
    std::u16string text;
    std::vector<std::u16string> items;
  };
  const std::vector<Case> cases = {
      {"blank first", list_of({Variant(), text(u"x")}), u"x", {}},
      {"omitted argument", list_of({text(u"a"), missing()}), u"a", {u"#VALUE!"}},
      {"a range read row by row, its blank cells passed over",
       list_of({range_of(2, 2, {Variant(), text(u"a-b-c"), text(u"-"), text(u"b")})}),
       u"a-b-c",
       {u"-", u"b"}},
      {"lower bound 5", list_of({text(u"p"), text(u"q")}, 5), u"p", {u"q"}},
      {"cell references",
       list_of({cell(text(u"ab")), cell(range_of(1, 2, {text(u"a"), number(2)}))}),
       u"ab",
       {u"a", u"2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Array arguments = c.arguments.array_value();
    const FilterArguments split = ReadFilterArguments(arguments);
    EXPECT_EQ(split.text, c.text);
    EXPECT_EQ(split.items, c.items);
  }
}

TEST(ReadFilterArguments, RewritesErrorValuesInTheList) {
  Array arguments = list_of({text(u"a"), kNA, missing()}).array_value();
  ReadFilterArguments(arguments);
  EXPECT_EQ(arguments.elements(),
            (std::vector<Variant>{text(u"a"), text(u"#VALUE!"), text(u"#VALUE!")}));
}

// The list members' answers to worksheet calls are in tests/data/member_calls*.txt; here is what
// a worksheet call cannot hand over.
constexpr std::string_view kListMembers[] = {"krEXCLUDE", "krEXCLUDENOTNUM", "krEXTRACT",
                                             "krEXTRACTNUM"};

Variant call(std::string_view member, Variant list) {
  clsKestrune object;
  return test::call(object, member, {std::move(list)});
}

TEST(ListMembers, LeaveTheCallersArgumentsAlone) {
  for (std::string_view member : kListMembers) {
    const Variant before = list_of({kNA, text(u"A")});
    std::vector<Variant> arguments = {before};
    clsKestrune object;
    test::call_with(object, member, arguments);
    EXPECT_EQ(arguments[0], before) << member;
  }
}

TEST(ListMembers, TakeAValueThatIsNoListAsAListOfOne) {
  test::ScopedDecimalSeparator separator(u".");
  struct Case {
    std::string_view member;
    Variant argument;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {"krEXCLUDE", text(u"abc"), u"abc"},
      {"krEXCLUDENOTNUM", number(-12.5), u"-12.5"},
      {"krEXTRACT", range_of(1, 3, {text(u"abab"), text(u"b"), text(u"x")}), u"bb"},
      {"krEXTRACT", cell(range_of(1, 2, {text(u"abab"), text(u"a")})), u"aa"},
      {"krEXTRACT", list_of({text(u"abab"), text(u"a")}, 1), u"aa"},
      {"krEXCLUDENOTNUM", kNA, u""},
      {"krEXCLUDE", missing(), u"#VALUE!"},
  };
  for (const Case& c : cases) EXPECT_EQ(call(c.member, c.argument), text(c.expected)) << c.member;
}

// Arguments without a text form.
TEST(ListMembers, RaiseFailuresToTheCaller) {
  const Variant three_dimensions = Variant::array(Array::with_bounds({{1, 1}, {1, 1}, {1, 1}}));
  Variant typed_texts = range_of(1, 1, {text(u"b")});
  typed_texts.array_value().set_element_type(VariantType::text);
  const std::vector<std::vector<Variant>> bad_lists = {
      {text(u"abc"), range_of(1, 2, {text(u"b"), kNA})},
      {range_of(1, 1, {missing()})},
      {text(u"abc"), list_of({text(u"b")}, 1)},
      {text(u"abc"), typed_texts},
      {text(u"abc"), three_dimensions},
      {range_of(1, 1, {range_of(1, 1, {text(u"b")})})},  // an array in a cell
      {text(u"abc"), Variant::null()},
  };
  for (std::string_view member : kListMembers) {
    for (const std::vector<Variant>& arguments : bad_lists) {
      EXPECT_THROW(call(member, list_of(arguments)), Failure) << member;
    }
  }
}

TEST(ListMembers, FailWhenThePlatformReportsNoDecimalSeparator) {
  test::ScopedDecimalSeparator none(u"");
  for (std::string_view member : kListMembers) {
    EXPECT_THROW(call(member, list_of({text(u"abc")})), Failure) << member;
  }
}

TEST(DecimalSeparator, IsTheFirstCharacterThePlatformReports) {
  const std::vector<std::pair<std::u16string, char16_t>> cases = {
      {u".", u'.'}, {u",", u','}, {u"\u066B", u'\u066B'}, {u",.", u','}};
  for (const auto& [reported, expected] : cases) {
    test::ScopedDecimalSeparator separator(reported);
    EXPECT_EQ(DecimalSeparator(), expected);
  }
}

TEST(ListMembers, WorkOnFullCellsAndRefuseRunawayResults) {
  const std::u16string full_cell(32767, u'a'), full_number(32767, u'7');
  EXPECT_EQ(call("krEXCLUDE", list_of({text(full_cell), text(u"aa")})), text(u"a"));
  EXPECT_EQ(call("krEXTRACT", list_of({text(full_cell), text(u"a")})), text(full_cell));
  EXPECT_EQ(call("krEXTRACTNUM", list_of({text(full_number)})), text(full_number));
  // Overlapping occurrences of a long item would repeat the text thousands of times over.
  EXPECT_THROW(call("krEXTRACT", list_of({text(full_cell), text(std::u16string(16384, u'a'))})),
               Failure);
}

}  // namespace
}  // namespace kestrune
