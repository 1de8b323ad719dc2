// krREGEX: defaults, the replacement switch and how the return type settles it, every return
// type, failures answering not_found_return, the decimal separator, and full-size texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "test_support.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

using test::cell;
using test::kNA;
using test::kValueError;
using test::missing;
using test::number;
using test::text;

// krREGEX with its optional arguments named; omitted ones are missing markers.
struct Regex {
  Variant string_to_search;
  Variant regex;
  Variant case_sensitive = missing();
  Variant replace_text = missing();
  Variant return_type = missing();
  Variant not_found_return = missing();

  Variant run() {
    clsKestrune object;
    return object.krREGEX(string_to_search, regex, case_sensitive, replace_text, return_type,
                          not_found_return);
  }
};

struct Case {
  const char* what;
  Regex call;
  Variant expected;
};

// A result array: one dimension, indexed from 1.
Variant array_of(std::vector<Variant> elements) {
  Array array = Array::one_dimensional(elements.size());
  array.elements() = std::move(elements);
  return Variant::array(std::move(array));
}

const Variant kTrue = Variant::boolean(true);
const Variant kFalse = Variant::boolean(false);

void expect_answers(std::vector<Case> cases) {
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call.run(), c.expected);
  }
}

// The digits of "abc123def456" under every return type.
Regex digits(Variant return_type = missing(), Variant replace_text = missing()) {
  return {.string_to_search = text(u"abc123def456"),
          .regex = text(u"[0-9]+"),
          .replace_text = std::move(replace_text),
          .return_type = std::move(return_type)};
}

TEST(krREGEX, ReportsOnTheMatchesByReturnType) {
  expect_answers({
      {"no return type", digits(), number(4)},
      {"1", digits(number(1)), number(4)},
      {"0", digits(number(0)), number(4)},
      {"-1", digits(number(-1)), number(4)},
      {"8", digits(number(8)), number(4)},
      {"2.5", digits(number(2.5)), number(4)},
      {"2", digits(number(2)), number(3)},
      {"3", digits(number(3)), text(u"123")},
      {"4 counts every match", digits(number(4)), number(2)},
      {"5", digits(number(5)), array_of({number(4), number(10)})},
      {"6", digits(number(6)), array_of({number(3), number(3)})},
      {"7", digits(number(7)), array_of({text(u"123"), text(u"456")})},
      {"text 5", digits(text(u"5")), array_of({number(4), number(10)})},
      {"text with blanks", digits(text(u" 4 ")), number(2)},
      {"true is -1", digits(kTrue), number(4)},
      {"blank is 0", digits(Variant()), number(4)},
      {"null is no code", digits(Variant::null()), number(4)},
      {"single 3", digits(Variant::r4(3)), text(u"123")},
      {"reference to 3", digits(cell(number(3))), text(u"123")},
  });
}

TEST(krREGEX, ReplacesByReturnType) {
  expect_answers({
      {"# first", digits(missing(), text(u"#")), text(u"abc#def456")},
      {"# -1", digits(number(-1), text(u"#")), text(u"abc#def#")},
      {"# true", digits(kTrue, text(u"#")), text(u"abc#def#")},
      {"# 0", digits(number(0), text(u"#")), text(u"abc#def456")},
      {"# 1", digits(number(1), text(u"#")), text(u"abc#def456")},
      {"# 2", digits(number(2), text(u"#")), text(u"abc#def456")},
      {"# 3", digits(number(3), text(u"#")), text(u"abc#def456")},
      {"# 4", digits(number(4), text(u"#")), text(u"abc#def#")},
      {"# 5", digits(number(5), text(u"#")), text(u"abc#def#")},
      {"# 6", digits(number(6), text(u"#")), text(u"abc#def#")},
      {"# 7", digits(number(7), text(u"#")), text(u"abc#def#")},
      {"# 8", digits(number(8), text(u"#")), text(u"abc#def456")},
      {"# 2.5", digits(number(2.5), text(u"#")), text(u"abc#def456")},
      {"number 0 is no empty text", digits(missing(), number(0)), text(u"abc0def456")},
      {"false is no empty text", digits(missing(), kFalse), text(u"abcFalsedef456")},
      {"group sequences", digits(number(-1), text(u"[$&]")), text(u"abc[123]def[456]")},
      {"dollar sign", digits(missing(), text(u"$$")), text(u"abc$def456")},
      {"swapped groups",
       {.string_to_search = text(u"abc123"),
        .regex = text(u"([a-z]+)([0-9]+)"),
        .replace_text = text(u"$2$1")},
       text(u"123abc")},
      {"case-insensitive",
       {.string_to_search = text(u"ABC"),
        .regex = text(u"b"),
        .case_sensitive = kFalse,
        .replace_text = text(u"x")},
       text(u"AxC")},
  });
}

TEST(krREGEX, DeletesWithAnEmptyReplacementOnlyUnderReturnTypeZeroOrMinusOne) {
  expect_answers({
      {"none given", digits(missing(), text(u"")), text(u"abcdef456")},
      {"0", digits(number(0), text(u"")), text(u"abcdef456")},
      {"-1", digits(number(-1), text(u"")), text(u"abcdef")},
      {"true", digits(kTrue, text(u"")), text(u"abcdef")},
      {"text -1", digits(text(u"-1"), text(u"")), text(u"abcdef")},
      {"1 reports", digits(number(1), text(u"")), number(4)},
      {"3 reports", digits(number(3), text(u"")), text(u"123")},
      {"4 reports", digits(number(4), text(u"")), number(2)},
      {"7 reports", digits(number(7), text(u"")), array_of({text(u"123"), text(u"456")})},
      {"8 reports", digits(number(8), text(u"")), number(4)},
      {"blank replacement", digits(missing(), Variant()), text(u"abcdef456")},
      {"reference to an empty text", digits(missing(), cell(text(u""))), text(u"abcdef456")},
  });
}

TEST(krREGEX, ReadsCaseAndTextsAsTheUserWroteThem) {
  const auto abc = [](Variant pattern, Variant case_sensitive) {
    return Regex{.string_to_search = text(u"ABC"),
                 .regex = std::move(pattern),
                 .case_sensitive = std::move(case_sensitive)};
  };
  expect_answers({
      {"case-sensitive by default", abc(text(u"b"), missing()), kValueError},
      {"not case-sensitive", abc(text(u"b"), kFalse), number(2)},
      {"blank case", abc(text(u"b"), Variant()), number(2)},
      {"case text false", abc(text(u"b"), text(u"false")), number(2)},
      {"case 0", abc(text(u"b"), number(0)), number(2)},
      {"case text 1", abc(text(u"b"), text(u"1")), kValueError},
      {"anchors", abc(text(u"^B"), missing()), kValueError},
      {"end anchor", abc(text(u"C$"), missing()), number(3)},
      {"empty pattern", abc(text(u""), missing()), number(1)},
      {"empty pattern length",
       {.string_to_search = text(u"abc"), .regex = text(u""), .return_type = number(2)},
       number(0)},
      {"empty pattern count",
       {.string_to_search = text(u"abc"), .regex = text(u""), .return_type = number(4)},
       number(4)},
      {"empty matches listed",
       {.string_to_search = text(u"baa"), .regex = text(u"a*"), .return_type = number(6)},
       array_of({number(0), number(2), number(0)})},
      {"number as pattern", {.string_to_search = text(u"abc123"), .regex = number(12)}, number(4)},
      {"truth value as text", {.string_to_search = kTrue, .regex = text(u"ru")}, number(2)},
      {"reference as text",
       {.string_to_search = cell(text(u"xyz")), .regex = text(u"z")},
       number(3)},
  });
}

TEST(krREGEX, AnswersNotFoundReturnOnNoMatchAndOnEveryFailure) {
  const auto with = [](Regex call, Variant not_found_return) {
    call.not_found_return = std::move(not_found_return);
    return call;
  };
  const Regex no_match{.string_to_search = text(u"abc"), .regex = text(u"x")};
  expect_answers({
      {"no match", no_match, kValueError},
      {"no match, 0", with(no_match, number(0)), number(0)},
      {"no match, false", with(no_match, kFalse), kFalse},
      {"no match, error value", with(no_match, kNA), kNA},
      {"no match, blank", with(no_match, Variant()), Variant()},
      {"a match ignores not_found_return", with(digits(missing(), text(u"#")), number(0)),
       text(u"abc#def456")},
      {"no match replacing",
       {.string_to_search = text(u"abc"), .regex = text(u"x"), .replace_text = text(u"y")},
       kValueError},
      {"bad pattern", {.string_to_search = text(u"abc"), .regex = text(u"(")}, kValueError},
      {"bad pattern, 0", with({.string_to_search = text(u"abc"), .regex = text(u"(")}, number(0)),
       number(0)},
      {"bad pattern replacing",
       {.string_to_search = text(u"abc"), .regex = text(u"("), .replace_text = text(u"y")},
       kValueError},
      {"return type not a number", digits(text(u"abc")), kValueError},
      {"return type not a number, replacing", digits(text(u"abc"), text(u"#")), kValueError},
      {"return type not a number, empty replacement", digits(text(u"abc"), text(u"")), kValueError},
      {"return type an error value", digits(kNA), kValueError},
      {"text an error value", {.string_to_search = kNA, .regex = text(u"a")}, kValueError},
      {"text a null", {.string_to_search = Variant::null(), .regex = text(u"a")}, kValueError},
      {"text a range",
       {.string_to_search = cell(array_of({text(u"a")})), .regex = text(u"a")},
       kValueError},
      {"pattern an error value", {.string_to_search = text(u"abc"), .regex = kNA}, kValueError},
      {"replacement an error value", digits(missing(), kNA), kValueError},
      {"case neither truth value nor number",
       {.string_to_search = text(u"abc"), .regex = text(u"b"), .case_sensitive = text(u"maybe")},
       kValueError},
      {"failure with 0", with({.string_to_search = kNA, .regex = text(u"a")}, number(0)),
       number(0)},
  });
}

TEST(krREGEX, ReadsNumbersWithTheUsersDecimalSeparator) {
  struct LocaleCase {
    std::u16string separator;
    Case c;
  };
  const std::vector<LocaleCase> cases = {
      {u",", {"2.5 reads 2,5", {.string_to_search = number(2.5), .regex = text(u",")}, number(2)}},
      {u".",
       {"2.5 reads 2.5", {.string_to_search = number(2.5), .regex = text(u",")}, kValueError}},
      {u",", {"pattern 1,5", {.string_to_search = text(u"x1,5"), .regex = number(1.5)}, number(2)}},
      {u",", {"return type text 2,5 is no code", digits(text(u"2,5")), number(4)}},
      {u".", {"return type text 2,5 is no number", digits(text(u"2,5")), kValueError}},
      {u",", {"return type text 2.5 is no number", digits(text(u"2.5")), kValueError}},
      {u",", {"replacement number", digits(missing(), number(0.5)), text(u"abc0,5def456")}},
  };
  for (LocaleCase lc : cases) {
    test::ScopedDecimalSeparator separator(lc.separator);
    SCOPED_TRACE(lc.c.what);
    EXPECT_EQ(lc.c.call.run(), lc.c.expected);
  }
}

TEST(krREGEX, WritesItsDefaultsIntoTheCallersArguments) {
  struct DefaultsCase {
    const char* what;
    Regex call;
    Variant case_sensitive, return_type, not_found_return;
  };
  std::vector<DefaultsCase> cases = {
      {"report", digits(), kTrue, number(1), kValueError},
      {"replace", digits(missing(), text(u"#")), kTrue, number(0), kValueError},
      {"empty replacement", digits(missing(), text(u"")), kTrue, number(0), kValueError},
      {"empty replacement, 3 given", digits(number(3), text(u"")), kTrue, number(3), kValueError},
      {"failure after the defaults",
       {.string_to_search = kNA, .regex = text(u"a")},
       kTrue,
       number(1),
       kValueError},
  };
  for (DefaultsCase& c : cases) {
    SCOPED_TRACE(c.what);
    c.call.run();
    EXPECT_EQ(c.call.case_sensitive, c.case_sensitive);
    EXPECT_EQ(c.call.return_type, c.return_type);
    EXPECT_EQ(c.call.not_found_return, c.not_found_return);
  }
}

TEST(krREGEX, WorksOnFullCells) {
  const std::u16string full_cell(32767, u'a');
  const auto on_full_cell = [&](std::u16string pattern, Variant return_type,
                                Variant replace_text = missing()) {
    return Regex{.string_to_search = text(full_cell),
                 .regex = text(std::move(pattern)),
                 .replace_text = std::move(replace_text),
                 .return_type = std::move(return_type)};
  };
  std::vector<Variant> positions;
  for (int i = 1; i <= 32767; ++i) positions.push_back(number(i));
  std::u16string nested = u"a";
  for (int i = 0; i < 64; ++i) nested = u"(" + nested + u")";
  expect_answers({
      {"count", on_full_cell(u"a", number(4)), number(32767)},
      {"empty match at the end", on_full_cell(u"$", number(1)), number(32768)},
      {"length", on_full_cell(u"a+", number(2)), number(32767)},
      {"replacing", on_full_cell(u"a", number(-1), text(u"bb")), text(std::u16string(65534, u'b'))},
      {"positions", on_full_cell(u"a", number(5)), array_of(positions)},
      {"64 groups: count", on_full_cell(nested, number(4)), number(32767)},
      {"64 groups: positions", on_full_cell(nested, number(5)), array_of(positions)},
      {"64 groups: replacing", on_full_cell(nested, number(-1), text(u"$64")), text(full_cell)},
      // From every position the look-ahead scans the rest of the cell: quadratic, yet answered.
      {"followed somewhere by !",
       {.string_to_search = text(full_cell.substr(1) + u"!"),
        .regex = text(u"a(?=[^!]*!)"),
        .return_type = number(4)},
       number(32766)},
  });
}

TEST(krREGEX, CallsThatCannotFinishAnswerNotFoundReturn) {
  const std::u16string many_a(32000, u'a');
  const auto runaway = [&](std::u16string pattern, Variant replace_text, Variant not_found_return,
                           Variant return_type = missing()) {
    return Regex{.string_to_search = text(many_a),
                 .regex = text(std::move(pattern)),
                 .replace_text = std::move(replace_text),
                 .return_type = std::move(return_type),
                 .not_found_return = std::move(not_found_return)};
  };
  expect_answers({
      {"alternation", runaway(u"(a|aa)*b", missing(), missing()), kValueError},
      {"alternation, 0", runaway(u"(a|aa)*b", missing(), number(0)), number(0)},
      {"nested star", runaway(u"(a*)*[^a]", missing(), missing()), kValueError},
      {"replacing", runaway(u"(a|aa)*b", text(u"x"), kNA), kNA},
      {"result too long", runaway(u"a", text(u"$`"), missing(), number(-1)), kValueError},
  });
}

}  // namespace
}  // namespace kestrune
