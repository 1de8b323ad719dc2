// krGETWORD, krST and krCONCATULA where the shared call table cannot reach (tabs, value kinds
// no worksheet call writes), and the upper-casing.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/case_mapping.hpp"
#include "test_support.hpp"
#include "variant/variant.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

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

constexpr std::u16string_view kFox = u"The quick brown fox";

TEST(WordMembers, AnswerForValuesNoWorksheetCallWrites) {
  const struct {
    const char* why;
    std::string_view member;
    Variant argument_1, argument_2;
    Variant expected;
  } cases[] = {
      {"blank then tab: the empty piece between is passed over", "krGETWORD", text(u"The \tquick"),
       number(2), text(u"quick")},
      {"16-bit position", "krGETWORD", text(kFox), Variant::i2(3), text(u"brown")},
      {"16-bit integer", "krST", Variant::i2(-13), missing(), text(u"-13th")},
      {"single in its own digits", "krST", Variant::r4(2.2f), missing(), text(u"2.2nd")},
      {"date", "krST", Variant::date(46362), missing(), text(u"12/6/2026th")},
      {"date with a time ends in a letter", "krST", Variant::date(46362.5), missing(), kValueError},
  };
  for (const auto& c : cases) {
    clsKestrune object;
    EXPECT_EQ(test::call(object, c.member, {c.argument_1, c.argument_2}), c.expected) << c.why;
  }
}

TEST(GetWord, NotFoundReturnComesBackAsGiven) {
  for (const Variant& given : {Variant(), Variant::null(), Variant::error(worksheet_error::kNA),
                               reference(text(u"from a cell")), range_value(), list_value()}) {
    clsKestrune object;
    EXPECT_EQ(test::call(object, "krGETWORD",
                         {text(kFox), number(9), missing(), missing(), missing(), given}),
              given);
  }
}

// Puts each kind of value a worksheet can hand over into each argument of the call `base` in
// turn; expected[j] lists the answers with argument j replaced, kind by kind.
void expect_every_kind(std::string_view member, const std::vector<Variant>& base,
                       const std::vector<std::vector<Variant>>& expected) {
  for (std::size_t j = 0; j < expected.size(); ++j) {
    const Variant referred = base[j];
    const std::pair<const char*, Variant> kinds[] = {
        {"blank", Variant()},
        {"null", Variant::null()},
        {"error value", Variant::error(worksheet_error::kDiv0)},
        {"missing", missing()},
        {"Nothing", Variant::object(nullptr)},
        {"reference", reference(referred)},
        {"reference of a reference", reference(reference(referred))},
        {"reference to a range", reference(range_value())},
        {"range value", range_value()},
        {"list", list_value()},
    };
    ASSERT_EQ(std::size(kinds), expected[j].size()) << "argument " << j;
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
      SCOPED_TRACE("argument " + std::to_string(j) + ": " + kinds[i].first);
      std::vector<Variant> arguments = base;
      arguments[j] = kinds[i].second;
      clsKestrune object;
      EXPECT_EQ(test::call_with(object, member, arguments), expected[j][i]);
    }
  }
}

TEST(GetWord, EveryKindOfValueInEveryArgument) {
  const Variant nfr = number(-7), quick = text(u"quick");
  // A blank separator is the empty text, which cuts between all characters.
  expect_every_kind("krGETWORD",
                    {text(kFox), number(2), text(u" "), truth(true), truth(false), nfr},
                    {
                        {nfr, nfr, nfr, nfr, nfr, quick, quick, nfr, nfr, nfr},
                        {nfr, nfr, nfr, nfr, nfr, quick, quick, nfr, nfr, nfr},
                        {text(u"h"), nfr, nfr, quick, nfr, quick, quick, nfr, nfr, nfr},
                        {quick, quick, nfr, quick, nfr, quick, quick, nfr, nfr, nfr},
                        {quick, quick, nfr, quick, nfr, quick, quick, nfr, nfr, nfr},
                        {quick, quick, quick, quick, quick, quick, quick, quick, quick, quick},
                    });
}

TEST(Ordinal, EveryKindOfValueInEveryArgument) {
  const Variant upper = text(u"22ND"), lower = text(u"22nd"), e = kValueError;
  expect_every_kind("krST", {number(22), truth(false), truth(true)},
                    {
                        {e, e, e, e, e, upper, upper, e, e, e},
                        {upper, upper, e, upper, e, upper, upper, e, e, e},
                        {lower, lower, e, lower, e, upper, upper, e, e, e},
                    });
}

TEST(TextFormula, EveryKindOfValue) {
  const Variant e = kValueError, eight = number(8);
  expect_every_kind("krCONCATULA", {text(u"5+3")}, {{e, e, e, e, e, eight, eight, e, e, e}});
}

TEST(UpperCase, OneUnitAtATimeWhenTheUpperCaseIsOneUnit) {
  const std::pair<char16_t, char16_t> cases[] = {
      {u'a', u'A'},     {u'z', u'Z'},      // ASCII ends
      {u'{', u'{'},     {u'`', u'`'},      // beside them
      {0x00E9, 0x00C9},                    // e acute
      {0x00F7, 0x00F7},                    // division sign among the Latin-1 letters
      {0x00FF, 0x0178},                    // y diaeresis, far away
      {0x00DF, 0x00DF},                    // sharp s: SS is two units
      {0x0101, 0x0100}, {0x0100, 0x0100},  // alternating pairs, lower then upper
      {0x0131, u'I'},                      // dotless i
      {0x00B5, 0x039C},                    // micro sign to Greek mu
      {0x01C5, 0x01C4},                    // title case DZ with caron
      {0x0390, 0x0390},                    // iota with dialytika and tonos: three units
      {0x10D0, 0x1C90},                    // Georgian an to Mtavruli
      {0xFF41, 0xFF21},                    // full-width a
      {0xD801, 0xD801},                    // lone surrogate
      {0xFFFF, 0xFFFF},                    // last unit
  };
  for (const auto& [unit, upper] : cases) {
    EXPECT_EQ(int(upper_case_unit(unit)), int(upper)) << std::hex << int(unit);
  }
}

}  // namespace
}  // namespace kestrune
