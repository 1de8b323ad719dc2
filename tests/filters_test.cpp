// The character filters: the number filter, the reading of the open argument list, and the four
// list members with "." and "," as the decimal separator, including the failures they raise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/failure.hpp"
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

Variant one_dimensional_of(std::vector<Variant> cells) { return list_of(std::move(cells), 1); }

Variant typed_range_of_texts(std::vector<Variant> cells) {
  Variant range = range_of(1, cells.size(), std::move(cells));
  range.array_value().set_element_type(VariantType::text);
  return range;
}

TEST(NumberFilter, KeepsTheCharactersOfANumber) {
  struct Case {
    std::u16string input;
    char16_t separator;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {u"", u'.', u""},
      {u"Price: $1,234.56", u'.', u"1234.56"},
      {u"Price: $1,234.56", u',', u"1,23456"},
      {u"1.234,5", u',', u"1234,5"},
      {u"1.234,5", u'.', u"1.2345"},
      // Parentheses make a number negative only while ")" is the last thing seen.
      {u"(45)", u'.', u"-45"},
      {u"(45) 6", u'.', u"456"},
      {u"(-45)", u'.', u"-45"},
      {u"((3))", u'.', u"-3"},
      {u"(45", u'.', u"45"},
      {u")45(", u'.', u"45"},
      {u"-(5)", u'.', u"-5"},
      {u"(5)-", u'.', u"-5"},
      {u"(.5)", u'.', u"-.5"},
      {u"(,5)", u',', u"-,5"},
      // Only a leading minus and only the first separator are kept.
      {u"-3.2.1", u'.', u"-3.21"},
      {u"-3,2,1", u',', u"-3,21"},
      {u"-3.2.1", u',', u"-321"},
      {u"a-b-5", u'.', u"-5"},
      {u"5-3", u'.', u"53"},
      // Exponents in the form scientific notation shows.
      {u"1.5E+10 m", u'.', u"1.5E+10"},
      {u"1,5E+10 m", u',', u"1,5E+10"},
      {u"1.5E+10 m", u',', u"1510"},
      {u"7E-3", u'.', u"7E-3"},
      {u".5E-2", u'.', u".5E-2"},
      {u"1.E+5", u'.', u"1.E+5"},
      {u"12E+3", u'.', u"123"},
      {u"x1.5e3", u'.', u"1.53"},
      {u"1E5", u'.', u"15"},
      {u"2e+5", u'.', u"25"},
      {u"E+5", u'.', u"5"},
      {u"5E+", u'.', u"5"},
      {u"1.5E-", u'.', u"1.5"},
      {u"1E+2E+3", u'.', u"1E+23"},
      {u"1E-2E-3", u'.', u"1E-23"},
      {u"1EE+5", u'.', u"1E+5"},
      // A pending "E" survives letters and punctuation; only a digit or the separator ends it.
      {u"1Ex+5", u'.', u"1E+5"},
      {u"1E 5", u'.', u"15"},
      {u"1E.+5", u'.', u"1.5"},
      {u"(1E+)", u'.', u"-1"},
      // Outside ASCII: letters, never digits, separators or an exponent mark.
      {u"\u0661\u0662", u'.', u""},
      {u"\uFF11\uFF12", u'.', u""},
      {u"1\u0415+5", u'.', u"15"},
      {u"1\u066B5", u'\u066B', u"15"},
      {u"\xD83D\xDE00"
       u"7",
       u'.', u"7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(number_characters(c.input, c.separator), c.expected)
        << "input " << std::string(c.input.begin(), c.input.end()) << ", separator "
        << char(c.separator);
  }
}

TEST(NumberFilter, FinishLooksAtWhateverTheCallerAppended) {
  struct Case {
    std::u16string output;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {u"5E", u"5"}, {u"xE+", u"x"}, {u"E", u""},        {u"E5", u""},
      {u"EE", u"E"}, {u"ab", u"ab"}, {u"1E+5", u"1E+5"}, {u"", u""},
  };
  for (const Case& c : cases) {
    std::u16string output = c.output;
    NumberFilter().Finish(output);
    EXPECT_EQ(output, c.expected);
  }
}

TEST(ReadFilterArguments, FirstNonEmptyTextIsTheTextAndLaterOnesAreItems) {
  struct Case {
    const char* what;
    std::u16string separator;
    Variant arguments;
    std::u16string text;
    std::vector<std::u16string> items;
  };
  const std::vector<Case> cases = {
      {"texts and a number",
       u".",
       list_of({text(u"abc"), text(u""), text(u"b"), number(12)}),
       u"abc",
       {u"b", u"12"}},
      {"empty text first", u".", list_of({text(u""), text(u"x"), text(u"b")}), u"x", {u"b"}},
      {"blank first", u".", list_of({Variant(), text(u"x")}), u"x", {}},
      {"error value first", u".", list_of({kNA, text(u"A")}), u"#VALUE!", {u"A"}},
      {"omitted argument", u".", list_of({text(u"a"), missing()}), u"a", {u"#VALUE!"}},
      {"range first",
       u".",
       list_of({range_of(2, 2, {text(u"a-b-c"), text(u"-"), Variant(), text(u"b")})}),
       u"a-b-c",
       {u"-", u"b"}},
      {"range read row by row",
       u".",
       list_of({text(u"t"), range_of(2, 2, {text(u"1"), text(u"2"), text(u"3"), text(u"4")})}),
       u"t",
       {u"1", u"2", u"3", u"4"}},
      {"no arguments", u".", list_of({}), u"", {}},
      {"lower bound 5", u".", list_of({text(u"p"), text(u"q")}, 5), u"p", {u"q"}},
      {"numbers with a comma", u",", list_of({number(1.5), number(-0.25)}), u"1,5", {u"-0,25"}},
      {"numbers with a point", u".", list_of({number(1.5), number(1e20)}), u"1.5", {u"1E+20"}},
      {"truth values",
       u".",
       list_of({Variant::boolean(true), Variant::boolean(false)}),
       u"True",
       {u"False"}},
      {"cell references",
       u".",
       list_of({cell(text(u"ab")), cell(range_of(1, 2, {text(u"a"), number(2)}))}),
       u"ab",
       {u"a", u"2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScopedDecimalSeparator separator(c.separator);
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

TEST(ReadFilterArguments, FailsOnArgumentsWithoutATextForm) {
  struct Case {
    const char* what;
    Variant arguments;
  };
  const std::vector<Case> cases = {
      {"error value in a range", list_of({text(u"a"), range_of(1, 2, {text(u"b"), kNA})})},
      {"missing marker in a range", list_of({range_of(1, 1, {missing()})})},
      {"one-dimensional array", list_of({text(u"a"), one_dimensional_of({text(u"b")})})},
      {"array of texts", list_of({typed_range_of_texts({text(u"b")})})},
      {"three dimensions", list_of({Variant::array(Array::with_bounds({{1, 1}, {1, 1}, {1, 1}}))})},
      {"array in a cell", list_of({range_of(1, 1, {range_of(1, 1, {text(u"b")})})})},
      {"null", list_of({text(u"a"), Variant::null()})},
      {"null in a range", list_of({range_of(1, 1, {Variant::null()})})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Array arguments = c.arguments.array_value();
    EXPECT_THROW(ReadFilterArguments(arguments), Failure);
  }
}

using ListMember = std::u16string (clsKestrune::*)(Variant&);

struct MemberCase {
  const char* name;
  ListMember member;
  std::vector<Variant> arguments;
  std::u16string expected;
};

std::u16string call(ListMember member, Variant list) {
  clsKestrune object;
  return (object.*member)(list);
}

void expect_answers(const std::vector<MemberCase>& cases) {
  for (const MemberCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(call(c.member, list_of(c.arguments)), c.expected);
  }
}

constexpr ListMember kExclude = &clsKestrune::krEXCLUDE;
constexpr ListMember kExcludeNotNum = &clsKestrune::krEXCLUDENOTNUM;
constexpr ListMember kExtract = &clsKestrune::krEXTRACT;
constexpr ListMember kExtractNum = &clsKestrune::krEXTRACTNUM;

TEST(ListMembers, AnswerWithAPointAsDecimalSeparator) {
  test::ScopedDecimalSeparator separator(u".");
  expect_answers({
      {"exclude a", kExclude, {text(u"banana"), text(u"a")}, u"bnn"},
      {"exclude an", kExclude, {text(u"banana"), text(u"an")}, u"ba"},
      {"exclude ana: no overlap within an item", kExclude, {text(u"banana"), text(u"ana")}, u"bna"},
      {"exclude ana, nan: items overlap",
       kExclude,
       {text(u"banana"), text(u"ana"), text(u"nan")},
       u"ba"},
      {"exclude ab once", kExclude, {text(u"aabb"), text(u"ab")}, u"ab"},
      {"exclude case-sensitive", kExclude, {text(u"Banana"), text(u"b")}, u"Banana"},
      {"exclude no items", kExclude, {text(u"abc")}, u"abc"},
      {"exclude item longer than text", kExclude, {text(u"ab"), text(u"abc")}, u"ab"},
      {"exclude items are literal", kExclude, {text(u"a-z.b"), text(u"a-z")}, u".b"},
      {"exclude numbers as text", kExclude, {number(12345), number(3)}, u"1245"},
      {"exclude point in number", kExclude, {number(1.5), text(u".")}, u"15"},
      {"exclude first non-empty is text", kExclude, {text(u""), text(u"x"), text(u"b")}, u"x"},
      {"exclude error as text", kExclude, {kNA, text(u"A")}, u"#VLUE!"},
      {"exclude nothing", kExclude, {}, u""},
      {"exclude from a range",
       kExclude,
       {range_of(1, 3, {text(u"a1b2"), text(u"1"), text(u"2")})},
       u"ab"},
      {"exclude not num", kExcludeNotNum, {text(u"abc 12")}, u"12"},
      {"exclude not num: removal first",
       kExcludeNotNum,
       {text(u"Tel 555-1234"), text(u"555")},
       u"-1234"},
      {"exclude not num b1", kExcludeNotNum, {text(u"ab12"), text(u"b1")}, u"2"},
      {"exclude not num negative", kExcludeNotNum, {number(-12.5)}, u"-12.5"},
      {"exclude not num exponent", kExcludeNotNum, {number(1e20)}, u"1E+20"},
      {"exclude not num nothing", kExcludeNotNum, {}, u""},
      {"extract a, b", kExtract, {text(u"a1b2c3"), text(u"a"), text(u"b")}, u"ab"},
      {"extract an", kExtract, {text(u"banana"), text(u"an")}, u"anan"},
      {"extract overlapping", kExtract, {text(u"aaa"), text(u"aa")}, u"aaaa"},
      {"extract first item wins", kExtract, {text(u"abc"), text(u"bc"), text(u"b")}, u"bc"},
      {"extract first item wins, other order",
       kExtract,
       {text(u"abc"), text(u"b"), text(u"bc")},
       u"b"},
      {"extract no items", kExtract, {text(u"abc")}, u""},
      {"extract item at the very end", kExtract, {text(u"abc"), text(u"c")}, u"c"},
      {"extract item running past the end", kExtract, {text(u"abc"), text(u"cd")}, u""},
      {"extract error as text", kExtract, {kNA, text(u"V"), text(u"!")}, u"V!"},
      {"extract truth value", kExtract, {Variant::boolean(true), text(u"u")}, u"u"},
      {"extract num", kExtractNum, {text(u"Qty: 12 pcs, 3.5 kg")}, u"123.5"},
      {"extract num with item", kExtractNum, {text(u"x = -7 cm"), text(u"x")}, u"x-7"},
      {"extract num re-examines items", kExtractNum, {text(u"ab12"), text(u"b1")}, u"b112"},
      {"extract num Finish sees items", kExtractNum, {text(u"5 PE"), text(u"E")}, u"5"},
      {"extract num parentheses", kExtractNum, {text(u"(45) owed")}, u"-45"},
      {"extract num exponent", kExtractNum, {text(u"c = 3E+8 m/s")}, u"3E+8"},
  });
}

TEST(ListMembers, AnswerWithACommaAsDecimalSeparator) {
  test::ScopedDecimalSeparator separator(u",");
  expect_answers({
      {"exclude comma in number", kExclude, {number(1.5), text(u",")}, u"15"},
      {"exclude point absent", kExclude, {number(1.5), text(u".")}, u"1,5"},
      {"exclude not num negative", kExcludeNotNum, {number(-12.5)}, u"-12,5"},
      {"exclude not num points dropped", kExcludeNotNum, {text(u"1.234,5 EUR")}, u"1234,5"},
      {"exclude not num exponent", kExcludeNotNum, {number(1.5e20)}, u"1,5E+20"},
      {"extract num", kExtractNum, {text(u"Qty: 12 pcs, 3.5 kg")}, u"12,35"},
      {"extract num point is no separator", kExtractNum, {text(u"x 3.5")}, u"35"},
      {"extract num comma separated", kExtractNum, {text(u"3,5 kg")}, u"3,5"},
      {"extract items as numbers", kExtract, {text(u"a1,5b"), number(1.5)}, u"1,5"},
  });
}

TEST(ListMembers, LeaveTheCallersArgumentsAlone) {
  for (ListMember member : {kExclude, kExcludeNotNum, kExtract, kExtractNum}) {
    Variant list = list_of({kNA, text(u"A")});
    const Variant before = list;
    clsKestrune object;
    (object.*member)(list);
    EXPECT_EQ(list, before);
  }
}

TEST(ListMembers, TakeAValueThatIsNoListAsAListOfOne) {
  test::ScopedDecimalSeparator separator(u".");
  struct Case {
    ListMember member;
    Variant argument;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {kExclude, text(u"abc"), u"abc"},
      {kExcludeNotNum, number(-12.5), u"-12.5"},
      {kExtract, range_of(1, 3, {text(u"abab"), text(u"b"), text(u"x")}), u"bb"},
      {kExtract, cell(range_of(1, 2, {text(u"abab"), text(u"a")})), u"aa"},
      {kExcludeNotNum, kNA, u""},
      {kExclude, missing(), u"#VALUE!"},
  };
  for (const Case& c : cases) EXPECT_EQ(call(c.member, c.argument), c.expected);
}

TEST(ListMembers, RaiseFailuresToTheCaller) {
  const std::vector<std::vector<Variant>> bad_lists = {
      {text(u"abc"), range_of(1, 2, {text(u"b"), kNA})},
      {range_of(2, 1, {text(u"abc"), Variant::error(worksheet_error::kDiv0)})},
      {text(u"abc"), one_dimensional_of({text(u"b")})},
      {one_dimensional_of({text(u"abc")})},
      {text(u"abc"), typed_range_of_texts({text(u"b")})},
      {text(u"abc"), Variant::null()},
  };
  for (ListMember member : {kExclude, kExcludeNotNum, kExtract, kExtractNum}) {
    for (const std::vector<Variant>& arguments : bad_lists) {
      EXPECT_THROW(call(member, list_of(arguments)), Failure);
    }
  }
}

TEST(ListMembers, FailWhenThePlatformReportsNoDecimalSeparator) {
  test::ScopedDecimalSeparator none(u"");
  for (ListMember member : {kExclude, kExcludeNotNum, kExtract, kExtractNum}) {
    EXPECT_THROW(call(member, list_of({text(u"abc")})), Failure);
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
  const std::u16string full_cell(32767, u'a');
  EXPECT_EQ(call(kExclude, list_of({text(full_cell), text(u"aa")})), u"a");
  EXPECT_EQ(call(kExtract, list_of({text(full_cell), text(u"a")})), full_cell);
  EXPECT_EQ(call(kExtractNum, list_of({text(std::u16string(32767, u'7'))})),
            std::u16string(32767, u'7'));
  // Overlapping occurrences of a long item would repeat the text thousands of times over.
  EXPECT_THROW(call(kExtract, list_of({text(full_cell), text(std::u16string(16384, u'a'))})),
               Failure);
}

}  // namespace
}  // namespace kestrune
