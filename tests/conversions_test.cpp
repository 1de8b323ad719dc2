// Variant values and conversions: copying, moving and comparing values of every kind, text forms
// of numbers and dates, text read as numbers and truth values, rounding, and the comparisons the
// members make, and which failures a member answers with its fallback.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "base/failure.hpp"
#include "base/inline_vector.hpp"
#include "base/utf8.hpp"
#include "test_support.hpp"
#include "variant/calling_pattern.hpp"
#include "variant/conversions.hpp"
#include "variant/locale.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

const LastingText kLasting(u"a lasting text, longer than the short-string buffer");

// One value of every kind, owned parts included.
std::vector<Variant> values_of_every_kind() {
  Array grid = Array::two_dimensional(2, 2);
  grid.at(1, 1) = Variant::text(u"a text longer than the short-string buffer");
  grid.at(2, 2) = Variant::number(2);
  return {Variant(),
          Variant::null(),
          Variant::number(1.5),
          Variant::i2(-3),
          Variant::i4(70000),
          Variant::r4(0.25f),
          Variant::date(45000.5),
          Variant::text(u"short"),
          Variant::text(std::u16string(100, u'x')),
          Variant::lasting_text(kLasting),
          Variant::boolean(true),
          Variant::error(worksheet_error::kNA),
          Variant::missing(),
          Variant::object(std::make_shared<ValueObject>(Variant::text(u"in a cell"))),
          Variant::object(nullptr),
          Variant::array(std::move(grid))};
}

TEST(VariantValues, CopiesAndMovesKeepKindAndValue) {
  const std::vector<Variant> values = values_of_every_kind();
  for (const Variant& value : values) {
    for (const Variant& other : values) {  // assigning over every kind, owned parts included
      Variant target = other;
      target = value;
      EXPECT_EQ(target, value);
      Variant source = value;
      target = other;
      target = std::move(source);
      EXPECT_EQ(target, value);
    }
    Variant self = value;
    const Variant& alias = self;
    self = alias;
    EXPECT_EQ(self, value);
  }
}

TEST(VariantValues, AnElementMovedOverItsOwnArray) {
  Array list = Array::one_dimensional(2);
  list.elements()[1] = Variant::text(std::u16string(40, u'w'));
  Variant holder = Variant::array(std::move(list));
  holder = std::move(holder.array_value().elements()[1]);
  EXPECT_EQ(holder, Variant::text(std::u16string(40, u'w')));

  Array copied = Array::one_dimensional(1);
  copied.elements()[0] = Variant::number(7);
  Variant outer = Variant::array(std::move(copied));
  outer = outer.array_value().elements()[0];
  EXPECT_EQ(outer, Variant::number(7));
}

TEST(VariantValues, EqualityAndKinds) {
  const std::vector<Variant> values = values_of_every_kind();
  for (std::size_t i = 0; i < values.size(); ++i) {
    for (std::size_t j = 0; j < values.size(); ++j) {
      EXPECT_EQ(values[i] == values[j], i == j) << i << " " << j;
    }
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Variant::number(nan), Variant::number(nan));
  EXPECT_FALSE(Variant::number(1) == Variant::i4(1));  // the kind is part of the value
  // So are an array's bounds: the same elements from another lower bound are another array.
  EXPECT_FALSE(Variant::array(Array::one_dimensional(2, 0)) ==
               Variant::array(Array::one_dimensional(2, 1)));
  EXPECT_FALSE(Variant::error(worksheet_error::kNA).is_missing());
  // A lasting text is a text like any other, to every reader.
  const Variant lasting = Variant::lasting_text(kLasting);
  EXPECT_EQ(lasting, Variant::text(kLasting.text()));
  EXPECT_EQ(lasting.type(), VariantType::text);
  EXPECT_EQ(&lasting.text_value(), &kLasting.text());  // referred to, not copied
}

TEST(InlineVector, KeepsValuesInOrderAcrossTheMoveToTheHeap) {
  InlineVector<int, 3> values;
  std::vector<int> expected;
  for (int i = 0; i < 10; ++i) {
    values.push_back(i * 7);
    expected.push_back(i * 7);
    ASSERT_EQ(std::vector<int>(values.begin(), values.end()), expected) << i;
    const InlineVector<int, 3> copy = values;  // a copy owns its values, wherever they are
    values[0] = -1;
    EXPECT_EQ(copy[0], 0);
    values[0] = 0;
  }
  InlineVector<int, 3> reserved;
  reserved.reserve(5);
  for (int i = 0; i < 5; ++i) reserved.push_back(i);
  EXPECT_EQ(std::vector<int>(reserved.begin(), reserved.end()), (std::vector<int>{0, 1, 2, 3, 4}));
}

struct NumberText {
  double value;
  const char16_t* text;
};

// Designed failures become the member's fallback; a fault of the program must not, or a bug
// would pass for a plausible "#VALUE!".
TEST(CallingPattern, OnlyDesignedFailuresBecomeTheFallback) {
  const Variant fallback = Variant::text(u"nf");
  const auto answer = [&](auto raise) {
    return answer_or_not_found_return(fallback, [&]() -> Variant {
      raise();
      return Variant::number(1);
    });
  };
  EXPECT_EQ(answer([] {}), Variant::number(1));
  EXPECT_EQ(answer([] { fail("unreadable"); }), fallback);
  EXPECT_EQ(answer([] { throw std::bad_alloc(); }), fallback);
  EXPECT_THROW(answer([] { throw std::out_of_range("index"); }), std::out_of_range);
  EXPECT_THROW(answer_or_value_error([]() -> Variant { throw std::logic_error("broken"); }),
               std::logic_error);
  EXPECT_EQ(answer_or_value_error([]() -> Variant { fail("unreadable"); }), value_error_answer());
}

TEST(FormatNumber, FifteenSignificantDigits) {
  const NumberText cases[] = {{0.1, u"0.1"},
                              {1e-5, u"1E-05"},
                              {0.0001, u"0.0001"},
                              {123456789012345.0, u"123456789012345"},
                              {1234567890123456.0, u"1.23456789012346E+15"},
                              {0.1 + 0.2, u"0.3"},
                              {-0.0, u"0"},
                              {1e15, u"1E+15"}};
  for (const auto& c : cases) {
    EXPECT_EQ(format_number(c.value, u'.'), c.text) << c.value;
  }
}

TEST(FormatDate, EnglishPlatformForms) {
  const NumberText cases[] = {{46362.5, u"12/6/2026 12:00:00 PM"},
                              {0.25, u"6:00:00 AM"},
                              {0.0, u"12:00:00 AM"},
                              {1.0, u"12/31/1899"},
                              {-1.25, u"12/29/1899 6:00:00 AM"},
                              {46362.99998, u"12/6/2026 11:59:58 PM"},
                              {46362.999999, u"12/7/2026"},
                              {60.0, u"2/28/1900"},
                              {61.0, u"3/1/1900"}};
  for (const auto& c : cases) {
    EXPECT_EQ(format_date(c.value), c.text) << c.value;
  }
  EXPECT_THROW(format_date(3e6), Failure);
}

struct TextNumber {
  const char16_t* text;
  char16_t separator;
  std::optional<double> value;
};

TEST(ParseNumber, StrictRule) {
  const TextNumber cases[] = {{u" \t-1.5E+3 ", u'.', -1500},
                              {u"+7", u'.', 7},
                              {u".5", u'.', 0.5},
                              {u"5.", u'.', 5},
                              {u"1e-2", u'.', 0.01},
                              {u"1E-400", u'.', 0},
                              {u"1.5", u',', std::nullopt}};
  for (const auto& c : cases) {
    EXPECT_EQ(parse_number(c.text, c.separator), c.value) << to_utf8(c.text);
  }
  // Only spaces and tabs surround a number.
  for (const char16_t* text :
       {u"", u" ", u".", u"- 5", u"1E", u"1E+", u"1..2", u"1E400", u"\u00A05", u"12abc"}) {
    EXPECT_EQ(parse_number(text, u'.'), std::nullopt) << to_utf8(text);
  }
}

TEST(ParseTruth, WordsAndNumbers) {
  const std::pair<const char16_t*, std::optional<bool>> cases[] = {
      {u"true", true},        {u"False", false},   {u"#TRUE#", true},
      {u"#false#", false},    {u"1", true},        {u"-0.0", false},
      {u"yes", std::nullopt}, {u"", std::nullopt}, {u"tru", std::nullopt}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(parse_truth(text, u'.'), value) << to_utf8(text);
  }
}

TEST(RoundToWhole, HalvesToEven) {
  const std::pair<double, std::int32_t> cases[] = {
      {2.5, 2},
      {1.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {-0.5, 0},
      {0.4999, 0},
      {2.6, 3},
      {2147483647.4, 2147483647},
      {-2147483648, std::numeric_limits<std::int32_t>::min()},
  };
  for (const auto& [value, whole] : cases) {
    EXPECT_EQ(round_to_whole(value), whole) << value;
  }
  EXPECT_THROW(round_to_whole(3e9), Failure);
  EXPECT_THROW(round_to_whole(2147483647.5), Failure);
  EXPECT_THROW(round_to_whole(std::nan("")), Failure);
}

// Each kind of value through the three readings; nullopt where the reading fails.
struct Readings {
  Variant value;
  std::optional<std::u16string> text;
  std::optional<double> number;
  std::optional<bool> truth;
};

// `read()` gives `expected`, or fails where there is none.
template <class T, class Read>
void expect_reading(const std::optional<T>& expected, Read read) {
  if (expected) {
    EXPECT_EQ(read(), *expected);
  } else {
    EXPECT_THROW(read(), Failure);
  }
}

TEST(Conversions, EveryKindReadAsTextNumberAndTruth) {
  const auto none = std::nullopt;
  const Readings cases[] = {
      {Variant(), u"", 0, false},
      {Variant::null(), none, none, false},
      {Variant::text(u" 4 "), u" 4 ", 4, true},
      {Variant::text(u"0"), u"0", 0, false},
      {Variant::text(u"TRUE"), u"TRUE", none, true},
      {Variant::text(u"maybe"), u"maybe", none, none},
      {Variant::lasting_text(kLasting), kLasting.text(), none, none},
      {Variant::number(0.1), u"0.1", 0.1, true},
      {Variant::i2(-7), u"-7", -7, true},
      {Variant::r4(0.1f), u"0.1", double(0.1f), true},
      {Variant::boolean(true), u"True", -1, true},
      {Variant::boolean(false), u"False", 0, false},
      {Variant::date(0.25), u"6:00:00 AM", 0.25, true},
      {test::cell(Variant::text(u"9")), u"9", 9, true},
      {Variant::error(worksheet_error::kNA), none, none, none},
      {Variant::missing(), none, none, none},
      {test::row({u"a", u"b"}), none, none, none},
      {test::cell(test::row({u"a", u"b"})), none, none, none},
      {Variant::object(nullptr), none, none, none},
  };
  for (const Readings& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.value));
    expect_reading(c.text, [&] { return to_text(c.value); });
    expect_reading(c.number, [&] { return to_number(c.value); });
    expect_reading(c.truth, [&] { return to_truth(c.value); });
  }
}

TEST(Comparisons, EqualsNumber) {
  EXPECT_TRUE(equals_number(Variant::text(u"20"), 20));
  EXPECT_TRUE(equals_number(Variant::boolean(true), -1));
  EXPECT_TRUE(equals_number(test::cell(Variant()), 0));
  EXPECT_FALSE(equals_number(Variant::number(20.5), 20));
  EXPECT_FALSE(equals_number(Variant::null(), 0));
  EXPECT_THROW(equals_number(Variant::text(u"abc"), 1), Failure);
}

TEST(Utf8, RoundTripAndRepairs) {
  EXPECT_EQ(from_utf8("Gr\xC3\xB6\xC3\x9F"
                      "e"),
            u"Gr\u00F6\u00DFe");
  EXPECT_EQ(to_utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(from_utf8("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(from_utf8("\xE0\xA4\x85"), u"\u0905");        // the lowest three-byte lead
  EXPECT_EQ(to_utf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");  // the highest pair
  EXPECT_EQ(to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
  EXPECT_EQ(from_utf8("a\xFF"
                      "b"),
            u"a\uFFFDb");
  EXPECT_EQ(from_utf8("\x80"), u"\uFFFD");          // a continuation byte first
  EXPECT_EQ(from_utf8("\xC0\x80"), u"\uFFFD");      // overlong
  EXPECT_EQ(from_utf8("\xED\xA0\x80"), u"\uFFFD");  // encoded surrogate
}

}  // namespace
}  // namespace kestrune
