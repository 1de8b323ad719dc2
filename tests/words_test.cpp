// krGETWORD, krST, krCONCATULA and the upper-casing they rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/case_mapping.hpp"
#include "base/utf8.hpp"
#include "test_support.hpp"
#include "variant/locale.hpp"
#include "variant/variant.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using test::kValueError;
using test::missing;
using test::number;
using test::text;

Variant truth(bool value) { return Variant::boolean(value); }
Variant reference(Variant value) { return test::cell(std::move(value)); }
Variant range_value() {  // the value of a range of two cells
  Array cells = Array::two_dimensional(1, 2);
  cells.at(1, 1) = text(u"5+3");
  cells.at(1, 2) = number(2);
  return Variant::array(std::move(cells));
}
Variant list_value() {
  Array items = Array::one_dimensional(2);
  items.at(1) = number(2);
  items.at(2) = text(u" ");
  return Variant::array(std::move(items));
}

// Installs a comma decimal separator for the life of the object.
class CommaDecimalSeparator {
 public:
  CommaDecimalSeparator() { install_user_locale(std::make_shared<FixedLocale>(u",")); }
  ~CommaDecimalSeparator() { install_user_locale(nullptr); }
};

// ---------------------------------------------------------------------------------------------
// krGETWORD

struct GetWordCase {
  std::string label;
  Variant string_to_search;
  Variant nth_word;
  Variant expected;
  Variant word_separator = missing();
  Variant case_sensitive = missing();
  Variant search_from_right = missing();
  Variant not_found_return = missing();

  GetWordCase& separator(Variant value) { return set(word_separator, std::move(value)); }
  GetWordCase& case_rule(Variant value) { return set(case_sensitive, std::move(value)); }
  GetWordCase& from_right(Variant value = truth(true)) {
    return set(search_from_right, std::move(value));
  }
  GetWordCase& not_found(Variant value) { return set(not_found_return, std::move(value)); }

 private:
  GetWordCase& set(Variant& argument, Variant value) {
    argument = std::move(value);
    return *this;
  }
};

// The nth word of `subject`, other arguments missing unless a case sets them.
GetWordCase word(std::string label, std::u16string_view subject, Variant nth, Variant expected) {
  return {std::move(label), text(subject), std::move(nth), std::move(expected)};
}
GetWordCase word(std::string label, std::u16string_view subject, double nth,
                 std::u16string_view expected) {
  return word(std::move(label), subject, number(nth), text(expected));
}

Variant get_word(GetWordCase c) {
  clsKestrune kestrune;
  return kestrune.krGETWORD(c.string_to_search, c.nth_word, c.word_separator, c.case_sensitive,
                            c.search_from_right, c.not_found_return);
}

void expect_get_word(const std::vector<GetWordCase>& cases) {
  for (const GetWordCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(get_word(c), c.expected);
  }
}

constexpr std::u16string_view kFox = u"The quick brown fox";
constexpr std::u16string_view kPadded = u"  The   quick  ";

TEST(GetWord, PicksTheNthWordBetweenBlankAndTabRuns) {
  expect_get_word({
      word("2nd", kFox, 2, u"quick"),
      word("4th, the last", kFox, 4, u"fox"),
      word("5th of 4", kFox, 5, u"#VALUE!"),
      word("padded, 1st", kPadded, 1, u"The"),
      word("padded, 2nd", kPadded, 2, u"quick"),
      word("padded, 3rd of 2", kPadded, 3, u"#VALUE!"),
      word("blank then tab: the empty piece between is passed over", u"The \tquick", 2, u"quick"),
      word("a run of tabs", u"a\t\t\tb", 2, u"b"),
      word("no separator: no words", u"one", 1, u"#VALUE!"),
      word("only separators", u"  \t ", 1, u"#VALUE!"),
      word("empty text", u"", 1, u"#VALUE!"),
      word("other blanks are no separator", u"a\u00A0b c", 1, u"a\u00A0b"),
  });
}

TEST(GetWord, ReadsThePositionAsANumber) {
  auto nth = [](std::string label, Variant position, std::u16string_view expected) {
    return word(std::move(label), kFox, std::move(position), text(expected));
  };
  expect_get_word({
      nth("0", number(0), u"#VALUE!"),
      nth("-1", number(-1), u"#VALUE!"),
      nth("text 2", text(u"2"), u"quick"),
      nth("text with blanks and exponent", text(u" 3E0 "), u"brown"),
      nth("1.5 rounds to 2", number(1.5), u"quick"),
      nth("2.5 rounds to even 2", number(2.5), u"quick"),
      nth("3.5 rounds to even 4", number(3.5), u"fox"),
      nth("0.5 rounds to 0", number(0.5), u"#VALUE!"),
      nth("text second", text(u"second"), u"#VALUE!"),
      nth("TRUE is -1", truth(true), u"#VALUE!"),
      nth("FALSE is 0", truth(false), u"#VALUE!"),
      nth("16-bit integer", Variant::i2(3), u"brown"),
      nth("single", Variant::r4(4.0f), u"fox"),
      nth("beyond the whole numbers", number(1e12), u"#VALUE!"),
      nth("infinity", number(kInfinity), u"#VALUE!"),
      nth("NaN", number(kNaN), u"#VALUE!"),
  });
}

TEST(GetWord, SeparatorInTheSearchSyntaxWithItsCaseRule) {
  expect_get_word({
      word("comma, the empty piece passed over", u"a,b,,c", 3, u"c").separator(text(u",")),
      word("comma, 4th of 3", u"a,b,,c", number(4), number(0))
          .separator(text(u","))
          .not_found(number(0)),
      word("the word never holds the separator", u"k=v; x=y", 2, u"x=y").separator(text(u"; ")),
      word("? is any one character", u"a1b2c", 1, u"#VALUE!").separator(text(u"?")),
      word("a class", u"a1b22c", 3, u"c").separator(text(u"[0-9]{1,}")),
      word("a plus is literal", u"a1+b", 2, u"b").separator(text(u"1+")),
      word("a dot is literal", u"1.5.x", 2, u"5").separator(text(u".")),
      word("case-sensitive when missing", u"aXbxc", 2, u"c").separator(text(u"x")),
      word("case-insensitive when FALSE", u"aXbxc", 2, u"b")
          .separator(text(u"x"))
          .case_rule(truth(false)),
      word("a piece of blanks is a word", u"a, ,b", 2, u" ").separator(text(u",")),
      word("an uncompilable separator", kFox, number(1), text(u"none"))
          .separator(text(u"("))
          .not_found(text(u"none")),
      word("the empty separator cuts between all characters", u"abc", 2, u"b").separator(text(u"")),
  });
}

TEST(GetWord, FromTheRightMatchesTheSeparatorAsWrittenAgainstTheReversedText) {
  expect_get_word({
      word("1st", kFox, 1, u"fox").from_right(),
      word("3rd", kFox, 3, u"quick").from_right(),
      word("5th of 4", kFox, 5, u"#VALUE!").from_right(),
      word("a word keeps the order of its characters", u"ab  cd", 1, u"cd").from_right(),
      word("ab cuts xbay (reversed yabx)", u"xbay", 1, u"y").separator(text(u"ab")).from_right(),
      word("... into y and x", u"xbay", 2, u"x").separator(text(u"ab")).from_right(),
      word("ab is not in the reverse of xaby", u"xaby", 1, u"#VALUE!")
          .separator(text(u"ab"))
          .from_right(),
      word("-> is not in the reverse of a->b->c", u"a->b->c", 1, u"#VALUE!")
          .separator(text(u"->"))
          .from_right(),
      word(">- is", u"a->b->c", 1, u"c").separator(text(u">-")).from_right(),
      word("... and its 3rd word is a", u"a->b->c", 3, u"a").separator(text(u">-")).from_right(),
      word("case-insensitive", u"xBAy", 1, u"y")
          .separator(text(u"ab"))
          .case_rule(truth(false))
          .from_right(),
      word("the text 1 reads as true", kFox, 1, u"fox").from_right(text(u"1")),
  });
}

TEST(GetWord, NotFoundReturnComesBackWithItsType) {
  auto not_found = [](std::string label, Variant value) {
    return word(std::move(label), kFox, number(9), value).not_found(value);
  };
  expect_get_word({
      not_found("number", number(-7)),
      not_found("truth value", truth(false)),
      not_found("text", text(u"none")),
      not_found("blank", Variant()),
      not_found("null", Variant::null()),
      not_found("error value", Variant::error(worksheet_error::kNA)),
      not_found("cell reference", reference(text(u"from a cell"))),
      not_found("range of cells", range_value()),
      not_found("list", list_value()),
      word("missing", kFox, 9, u"#VALUE!"),
  });
}

// The kinds of value a worksheet can hand over; a reference refers to `referred`.
struct ArgumentKind {
  std::string name;
  Variant value;
};

std::vector<ArgumentKind> argument_kinds(const Variant& referred) {
  return {
      {"blank", Variant()},
      {"null", Variant::null()},
      {"error value", Variant::error(worksheet_error::kDiv0)},
      {"missing", missing()},
      {"Nothing", Variant::object(nullptr)},
      {"reference", reference(referred)},
      {"reference to a reference", reference(reference(referred))},
      {"reference to a range", reference(range_value())},
      {"range value", range_value()},
      {"list", list_value()},
  };
}

// Puts each kind of value in turn into each argument of `base`; `expected` lists, per argument,
// the results in the order of argument_kinds().
template <class Case, class Call>
void expect_every_kind(
    const Case& base, Call call,
    const std::vector<std::tuple<std::string, Variant Case::*, std::vector<Variant>>>& arguments) {
  for (const auto& [name, argument, expected] : arguments) {
    const std::vector<ArgumentKind> kinds = argument_kinds(base.*argument);
    ASSERT_EQ(kinds.size(), expected.size()) << name;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      SCOPED_TRACE(name + ": " + kinds[i].name);
      Case c = base;
      c.*argument = kinds[i].value;
      EXPECT_EQ(call(c), expected[i]);
    }
  }
}

TEST(GetWord, EveryKindOfValueInEveryArgument) {
  const Variant nfr = number(-7), quick = text(u"quick");
  const GetWordCase base = word("base", kFox, number(2), quick)
                               .separator(text(u" "))
                               .case_rule(truth(true))
                               .from_right(truth(false))
                               .not_found(nfr);
  expect_every_kind(base, get_word,
                    {
                        {"string_to_search",
                         &GetWordCase::string_to_search,
                         {nfr, nfr, nfr, nfr, nfr, quick, quick, nfr, nfr, nfr}},
                        {"nth_word",
                         &GetWordCase::nth_word,
                         {nfr, nfr, nfr, nfr, nfr, quick, quick, nfr, nfr, nfr}},
                        // A blank separator is the empty text, which cuts between all characters.
                        {"word_separator",
                         &GetWordCase::word_separator,
                         {text(u"h"), nfr, nfr, quick, nfr, quick, quick, nfr, nfr, nfr}},
                        {"case_sensitive",
                         &GetWordCase::case_sensitive,
                         {quick, quick, nfr, quick, nfr, quick, quick, nfr, nfr, nfr}},
                        {"search_from_right",
                         &GetWordCase::search_from_right,
                         {quick, quick, nfr, quick, nfr, quick, quick, nfr, nfr, nfr}},
                        {"not_found_return",
                         &GetWordCase::not_found_return,
                         {quick, quick, quick, quick, quick, quick, quick, quick, quick, quick}},
                    });
}

TEST(GetWord, WritesDefaultsIntoTheCallersArguments) {
  clsKestrune kestrune;
  Variant subject = text(kFox), nth = number(2);
  Variant separator = missing(), case_sensitive = missing(), from_right = missing();
  Variant not_found_return = missing();
  EXPECT_EQ(
      kestrune.krGETWORD(subject, nth, separator, case_sensitive, from_right, not_found_return),
      text(u"quick"));
  EXPECT_EQ(separator, text(u"( {1,}|\t{1,})"));
  EXPECT_EQ(not_found_return, kValueError);
  EXPECT_EQ(case_sensitive, truth(true));
  EXPECT_EQ(from_right, truth(false));
  EXPECT_EQ(subject, text(kFox));
}

TEST(GetWord, FullLengthCells) {
  const std::u16string left(16'000, u'x'), right(16'766, u'y');
  const std::u16string cell = left + u" " + right;  // 32,767 units
  std::u16string many_words;
  for (int i = 0; i < 10'000; ++i) many_words += u"w ";
  expect_get_word({
      word("2nd of two long words", cell, 2, right),
      word("from the right", cell, 2, left).from_right(),
      // 10,001 pieces: more than a result grid may hold, yet every word can be had.
      word("the first of 10,000 words", many_words, number(1), text(u"w")),
      word("the last of 10,000 words", many_words, number(10'000), text(u"w")),
      word("past the last of 10,000 words", many_words, number(10'001), text(u"#VALUE!")),
  });
}

// ---------------------------------------------------------------------------------------------
// krST

struct OrdinalCase {
  std::string label;
  Variant num;
  Variant expected;
  Variant exclude_num = missing();
  Variant upper_case = missing();

  OrdinalCase& indicator_only(Variant value = truth(true)) {
    exclude_num = std::move(value);
    return *this;
  }
  OrdinalCase& in_upper_case(Variant value = truth(true)) {
    upper_case = std::move(value);
    return *this;
  }
};

OrdinalCase of(std::string label, Variant num, std::u16string_view expected) {
  return {std::move(label), std::move(num), text(expected)};
}

Variant ordinal(OrdinalCase c) {
  clsKestrune kestrune;
  return kestrune.krST(c.num, c.exclude_num, c.upper_case);
}

void expect_ordinal(const std::vector<OrdinalCase>& cases) {
  for (const OrdinalCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ordinal(c), c.expected);
  }
}

TEST(Ordinal, LastDigitAndTeenRules) {
  expect_ordinal({
      of("1", number(1), u"1st"),
      of("2", number(2), u"2nd"),
      of("3", number(3), u"3rd"),
      of("4", number(4), u"4th"),
      of("0", number(0), u"0th"),
      of("11", number(11), u"11th"),
      of("12", number(12), u"12th"),
      of("13", number(13), u"13th"),
      of("21", number(21), u"21st"),
      of("101", number(101), u"101st"),
      of("111", number(111), u"111th"),
      of("112", number(112), u"112th"),
      of("1012", number(1012), u"1012th"),
      of("-1", number(-1), u"-1st"),
      of("-12", number(-12), u"-12th"),
      of("2.5", number(2.5), u"2.5th"),
      of("1.1", number(1.1), u"1.1st"),
      of("text B3", text(u"B3"), u"B3rd"),
      of("text 3a", text(u"3a"), u"#VALUE!"),
      of("text ending in a blank", text(u"3 "), u"#VALUE!"),
      of("text 1 alone is no teen", text(u"1"), u"1st"),
      of("full-width digit", text(u"\uFF13"), u"#VALUE!"),
      of("empty cell", Variant(), u"#VALUE!"),
      of("TRUE ends in a letter", truth(true), u"#VALUE!"),
      of("error value", Variant::error(worksheet_error::kNA), u"#VALUE!"),
      of("exponent form keeps it", number(1e20), u"1E+20th"),
      of("small exponent form", number(1.1e-11), u"1.1E-11th"),
      of("15 significant digits", number(123456789012345678.0), u"1.23456789012346E+17th"),
      of("16-bit integer", Variant::i2(-13), u"-13th"),
      of("single", Variant::r4(2.2f), u"2.2nd"),
      of("date", Variant::date(46362), u"12/6/2026th"),
      of("date with a time ends in a letter", Variant::date(46362.5), u"#VALUE!"),
  });
}

TEST(Ordinal, Options) {
  expect_ordinal({
      of("indicator alone", number(22), u"nd").indicator_only(),
      of("upper case", number(23), u"23RD").in_upper_case(),
      of("both", number(13), u"TH").indicator_only().in_upper_case(),
      of("exclude_num 0 is false", number(1), u"1st").indicator_only(number(0)),
      of("exclude_num FALSE", number(1), u"1st").indicator_only(truth(false)),
      of("a nonzero number is true", number(2), u"nd").indicator_only(number(0.5)),
      of("text TRUE in any case", number(3), u"3RD").in_upper_case(text(u"tRuE")),
      of("text that reads as a number", number(3), u"rd").indicator_only(text(u"-1")),
      of("text 0", number(3), u"3rd").indicator_only(text(u"0")),
      of("text maybe", number(21), u"#VALUE!").indicator_only(text(u"maybe")),
      of("empty text", number(21), u"#VALUE!").in_upper_case(text(u"")),
      of("upper case reaches the letters of the number", text(u"b3"), u"B3RD").in_upper_case(),
      of("upper case of an exponent form", number(1.5e-7), u"1.5E-07TH").in_upper_case(),
      of("upper case beyond ASCII", text(u"\u00E9t\u00E91"), u"\u00C9T\u00C91ST").in_upper_case(),
      of("sharp s keeps its one character", text(u"stra\u00DFe 2"), u"STRA\u00DFE 2ND")
          .in_upper_case(),
  });
}

TEST(Ordinal, EveryKindOfValueInEveryArgument) {
  const Variant upper = text(u"22ND"), lower = text(u"22nd"), e = kValueError;
  const OrdinalCase base =
      of("base", number(22), u"22ND").indicator_only(truth(false)).in_upper_case();
  expect_every_kind(base, ordinal,
                    {
                        {"num", &OrdinalCase::num, {e, e, e, e, e, upper, upper, e, e, e}},
                        {"exclude_num",
                         &OrdinalCase::exclude_num,
                         {upper, upper, e, upper, e, upper, upper, e, e, e}},
                        {"upper_case",
                         &OrdinalCase::upper_case,
                         {lower, lower, e, lower, e, upper, upper, e, e, e}},
                    });
}

TEST(Ordinal, CommaDecimalSeparator) {
  const CommaDecimalSeparator comma;
  expect_ordinal({
      of("2,5", number(2.5), u"2,5th"),
      of("1,1: the separator is no teen", number(1.1), u"1,1st"),
      of("11,1", number(11.1), u"11,1st"),
      of("an option read with the comma", number(4), u"th").indicator_only(text(u"0,5")),
      of("an option with a point is no number", number(4), u"#VALUE!").indicator_only(text(u"0.5")),
  });
}

// ---------------------------------------------------------------------------------------------
// krCONCATULA

struct FormulaCase {
  std::u16string formula;
  Variant expected;
};

Variant evaluate(Variant formula) {
  clsKestrune kestrune;
  return kestrune.krCONCATULA(formula);
}

void expect_formulas(const std::vector<FormulaCase>& cases) {
  for (const FormulaCase& c : cases) {
    SCOPED_TRACE(to_utf8(c.formula));
    EXPECT_EQ(evaluate(text(c.formula)), c.expected);
  }
}

TEST(TextFormula, OneOperationBetweenTwoNumbers) {
  expect_formulas({
      {u"5+3", number(8)},
      {u"=5+3", number(8)},
      {u"10/4", number(2.5)},
      {u"7-10", number(-3)},
      {u"2^10", number(1024)},
      {u"5*-3", number(-15)},
      {u"5*+3", number(15)},
      {u"5--3", number(8)},
      {u" 5 + 3 ", number(8)},
      {u"5\t*\t2", number(10)},
      {u".5+5.", number(5.5)},
      {u"1E3+1", number(1001)},
      {u"1e3+1", number(1001)},
      {u"2E3*10", number(20000)},
      {u"0.1+0.2", number(0.1 + 0.2)},
      {u"10^-2", number(std::pow(10.0, -2.0))},
      {u"2^0.5", number(std::sqrt(2.0))},
      {u"0^0", number(1)},
      {u"10^-400", number(0)},
  });
}

TEST(TextFormula, ComparisonsGiveTruthValues) {
  expect_formulas({
      {u"5 > 3", truth(true)},
      {u"5>3", truth(true)},
      {u"3>5", truth(false)},
      {u"5<3", truth(false)},
      {u"5>=5", truth(true)},
      {u"5=>6", truth(false)},
      {u"6=>5", truth(true)},
      {u"5<=5", truth(true)},
      {u"2=<1", truth(false)},
      {u"1=<2", truth(true)},
      {u"5<>5", truth(false)},
      {u"5<>6", truth(true)},
      {u"5><6", truth(true)},
      {u"5><5", truth(false)},
      {u"5=5", truth(true)},
      {u"=5=5", truth(true)},
      {u"5=6", truth(false)},
      {u"1E3=1000", truth(true)},
      {u"0=-0", truth(true)},
      // Exact comparisons of the doubles the texts read as.
      {u"1=1.0000000000000001", truth(true)},
      {u"1=1.000000000000001", truth(false)},
      {u"0.30000000000000004=0.3", truth(false)},
  });
}

TEST(TextFormula, UnguardedArithmeticGivesIeeeValues) {
  expect_formulas({
      {u"1/0", number(kInfinity)},
      {u"1/-0", number(-kInfinity)},
      {u"0/0", number(kNaN)},
      {u"1E308*10", number(kInfinity)},
      {u"1E308+1E308", number(kInfinity)},
      {u"1E308--1E308", number(kInfinity)},
  });
  EXPECT_TRUE(std::signbit(evaluate(text(u"0*-1")).numeric_value()));
}

TEST(TextFormula, FormulasThatCannotBeEvaluated) {
  const std::pair<std::u16string_view, const char*> cases[] = {
      {u"==5", "the second = is the operator, with nothing before it"},
      {u"-5+3", "the leading minus is the first operator"},
      {u"1+2+3", "the right operand is 2+3"},
      {u"5+", "no right operand"},
      {u"+5", "no left operand"},
      {u"=", "nothing but the removed ="},
      {u"", "empty"},
      {u"abc", "no operator"},
      {u"a+1", "the left operand is no number"},
      {u"1+a", "the right operand is no number"},
      {u"1E+3*2", "the + of the exponent is the operator, and 1E is no number"},
      {u"2E-1*10", "the - of the exponent is the operator"},
      {u"5>=>3", ">= is taken whole, and >3 is no number"},
      {u"5<=>3", "<= is taken whole, and >3 is no number"},
      {u"1,5+1", "the point is the decimal separator"},
      {u"(1)+2", "no parentheses"},
      {u"1 2+3", "a blank inside a number"},
      {u"5%3", "no such operator"},
      {u"#VALUE!", "the text the engine answers when there is no operator"},
      {u"1E999+1", "beyond the range of a double"},
      {u"10^400", "a power beyond the range of a double"},
      {u"1E200^2", "a power beyond the range of a double"},
      {u"0^-1", "a power without a value"},
  };
  for (const auto& [formula, why] : cases) {
    EXPECT_EQ(evaluate(text(formula)), kValueError) << to_utf8(formula) << ": " << why;
  }
}

TEST(TextFormula, ResultKinds) {
  EXPECT_EQ(evaluate(text(u"5+3")).type(), VariantType::r8);
  EXPECT_EQ(evaluate(text(u"5=5")).type(), VariantType::boolean);
  EXPECT_EQ(evaluate(text(u"abc")).type(), VariantType::text);
}

struct FormulaArgument {
  Variant text_formula;
};

TEST(TextFormula, EveryKindOfValue) {
  const Variant e = kValueError;
  expect_every_kind(FormulaArgument{text(u"5+3")},
                    [](FormulaArgument c) { return evaluate(c.text_formula); },
                    {{"text_formula",
                      &FormulaArgument::text_formula,
                      {e, e, e, e, e, number(8), number(8), e, e, e}}});
  const std::vector<std::pair<std::string, Variant>> scalars = {
      {"the number 5: no operator", number(5)},
      {"the number -5: the operator first", number(-5)},
      {"the number 1E+20: 1E is no number", number(1e20)},
      {"TRUE", truth(true)},
      {"a date: the slash is an operator, 6/2026 no number", Variant::date(46362)},
  };
  for (const auto& [label, value] : scalars) {
    SCOPED_TRACE(label);
    EXPECT_EQ(evaluate(value), e);
  }
}

TEST(TextFormula, CommaDecimalSeparator) {
  const CommaDecimalSeparator comma;
  expect_formulas({
      {u"1,5+1", number(2.5)},
      {u"=1,5^2", number(2.25)},
      {u"2,5*2", number(5)},
      {u"1,5>1,25", truth(true)},
      {u"1,5E1-5", number(10)},
      {u"1.5+1", kValueError},
      {u"1,5,5+1", kValueError},
  });
  EXPECT_EQ(evaluate(number(2.5)), kValueError);  // "2,5" holds no operator
}

// ---------------------------------------------------------------------------------------------
// upper_case

TEST(UpperCase, OneUnitAtATimeWhenTheUpperCaseIsOneUnit) {
  struct Case {
    char16_t unit;
    char16_t upper;
    const char* what;
  };
  const Case cases[] = {
      {u'a', u'A', "ASCII"},
      {u'z', u'Z', "ASCII end"},
      {u'A', u'A', "already upper"},
      {u'1', u'1', "digit"},
      {u'{', u'{', "after z"},
      {u'`', u'`', "before a"},
      {0x00E9, 0x00C9, "e acute"},
      {0x00F7, 0x00F7, "division sign among the Latin-1 letters"},
      {0x00FF, 0x0178, "y diaeresis, far away"},
      {0x00DF, 0x00DF, "sharp s: SS is two units"},
      {0x0149, 0x0149, "n preceded by apostrophe: two units"},
      {0x0101, 0x0100, "alternating pairs"},
      {0x0100, 0x0100, "upper of a pair"},
      {0x0131, u'I', "dotless i"},
      {0x017F, u'S', "long s"},
      {0x00B5, 0x039C, "micro sign to Greek mu"},
      {0x01C5, 0x01C4, "title case DZ with caron"},
      {0x03C2, 0x03A3, "final sigma"},
      {0x0390, 0x0390, "iota with dialytika and tonos: three units"},
      {0x044F, 0x042F, "Cyrillic ya"},
      {0x10D0, 0x1C90, "Georgian an to Mtavruli"},
      {0x1E9E, 0x1E9E, "capital sharp s"},
      {0xFB00, 0xFB00, "ligature ff"},
      {0xFF41, 0xFF21, "full-width a"},
      {0xD801, 0xD801, "lone high surrogate"},
      {0xDC28, 0xDC28, "lone low surrogate"},
      {0xFFFF, 0xFFFF, "last unit"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(int(upper_case_unit(c.unit)), int(c.upper)) << c.what;
  }
  EXPECT_EQ(upper_case(u"stra\u00DFe 23rd \u00E9t\u00E9"), u"STRA\u00DFE 23RD \u00C9T\u00C9");
  EXPECT_EQ(upper_case(u""), u"");
}

}  // namespace
}  // namespace kestrune
