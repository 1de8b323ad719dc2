// krREGEX where the shared call tables cannot reach: the defaults written back into the
// caller's arguments, full-size cells, and calls that cannot finish. Every return type, the
// replacement switch and the failures are cases of tests/data/member_calls.txt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "test_support.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

using test::kNA;
using test::kValueError;
using test::missing;
using test::number;
using test::text;

const Variant kTrue = Variant::boolean(true);

// A result array: one dimension, indexed from 1.
Variant array_of(std::vector<Variant> elements) {
  Array array = Array::one_dimensional(elements.size());
  array.elements() = std::move(elements);
  return Variant::array(std::move(array));
}

struct Case {
  const char* what;
  std::vector<Variant> arguments;
  Variant expected;
};

void expect_answers(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    clsKestrune object;
    std::vector<Variant> arguments = c.arguments;
    EXPECT_EQ(test::call_with(object, "krREGEX", arguments), c.expected) << c.what;
  }
}

TEST(krREGEX, WritesItsDefaultsIntoTheCallersArguments) {
  const Variant subject = text(u"abc123def456"), digits = text(u"[0-9]+");
  struct DefaultsCase {
    const char* what;
    std::vector<Variant> given;
    Variant return_type;
  };
  const DefaultsCase cases[] = {
      {"report", {subject, digits}, number(1)},
      {"replace", {subject, digits, missing(), text(u"#")}, number(0)},
      {"empty replacement", {subject, digits, missing(), text(u"")}, number(0)},
      {"empty replacement, 3 given", {subject, digits, missing(), text(u""), number(3)}, number(3)},
      {"failure after the defaults", {kNA, text(u"a")}, number(1)},
  };
  for (const DefaultsCase& c : cases) {
    clsKestrune object;
    std::vector<Variant> arguments = c.given;
    test::call_with(object, "krREGEX", arguments);
    EXPECT_EQ(arguments[2], kTrue) << c.what;
    EXPECT_EQ(arguments[4], c.return_type) << c.what;
    EXPECT_EQ(arguments[5], kValueError) << c.what;
  }
}

TEST(krREGEX, WorksOnFullCells) {
  const Variant full_cell = text(std::u16string(32767, u'a'));
  std::vector<Variant> positions;
  for (int i = 1; i <= 32767; ++i) positions.push_back(number(i));
  std::u16string nested = u"a";
  for (int i = 0; i < 64; ++i) nested = u"(" + nested + u")";
  const Variant m = missing();
  expect_answers({
      {"count", {full_cell, text(u"a"), m, m, number(4)}, number(32767)},
      {"empty match at the end", {full_cell, text(u"$"), m, m, number(1)}, number(32768)},
      {"length", {full_cell, text(u"a+"), m, m, number(2)}, number(32767)},
      {"replacing",
       {full_cell, text(u"a"), m, text(u"bb"), number(-1)},
       text(std::u16string(65534, u'b'))},
      {"positions", {full_cell, text(u"a"), m, m, number(5)}, array_of(positions)},
      {"64 groups: count", {full_cell, text(nested), m, m, number(4)}, number(32767)},
      {"64 groups: positions", {full_cell, text(nested), m, m, number(5)}, array_of(positions)},
      {"64 groups: replacing", {full_cell, text(nested), m, text(u"$64"), number(-1)}, full_cell},
      // From every position the look-ahead scans the rest of the cell: quadratic, yet answered.
      {"followed somewhere by !",
       {text(std::u16string(32766, u'a') + u"!"), text(u"a(?=[^!]*!)"), m, m, number(4)},
       number(32766)},
  });
}

TEST(krREGEX, CallsThatCannotFinishAnswerNotFoundReturn) {
  const Variant many_a = text(std::u16string(32000, u'a')), m = missing();
  const Variant alternation = text(u"(a|aa)*b");
  expect_answers({
      {"alternation", {many_a, alternation}, kValueError},
      {"alternation, 0", {many_a, alternation, m, m, m, number(0)}, number(0)},
      {"nested star", {many_a, text(u"(a*)*[^a]")}, kValueError},
      {"replacing", {many_a, alternation, m, text(u"x"), m, kNA}, kNA},
      {"result too long", {many_a, text(u"a"), m, text(u"$`"), number(-1)}, kValueError},
  });
}

}  // namespace
}  // namespace kestrune
