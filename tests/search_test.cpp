// The search engine and its members where the shared call tables cannot reach: defaults written
// back into the caller's arguments, full-size cells at every limit, and an object's memory of
// its last search. The everyday answers of every result code are in tests/data/member_calls.txt.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/utf8.hpp"
#include "test_support.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

using test::call;
using test::kValueError;
using test::missing;
using test::number;
using test::text;

Variant call_new(std::string_view member, std::initializer_list<Variant> arguments) {
  clsKestrune object;
  return call(object, member, arguments);
}

const Variant kTrue = Variant::boolean(true);
const Variant kFalse = Variant::boolean(false);

struct DefaultsCase {
  const char* what;
  std::string_view member;
  std::vector<Variant> given;
  Variant answer;
  std::vector<Variant> written;  // every argument after the call
};

// Each member writes its defaults into the omitted arguments the caller passed, also when the
// call then fails on an argument it cannot read.
TEST(Defaults, WrittenIntoTheCallersArguments) {
  const Variant m = missing();
  const Variant unreadable = Variant::array(Array::one_dimensional(2));
  const DefaultsCase cases[] = {
      {"krSEARCH",
       "krSEARCH",
       {text(u"abc"), text(u"x")},
       kValueError,
       {text(u"abc"), text(u"x"), kTrue, number(1), text(u""), text(u""), number(0), number(0),
        kFalse, kValueError}},
      {"result code 20 defaults not_found_return to FALSE",
       "krSEARCH",
       {text(u"abc"), text(u"x"), m, number(20)},
       kFalse,
       {text(u"abc"), text(u"x"), kTrue, number(20), text(u""), text(u""), number(0), number(0),
        kFalse, kFalse}},
      {"written before the text fails to read",
       "krSEARCH",
       {unreadable, text(u"x")},
       kValueError,
       {unreadable, text(u"x"), kTrue, number(1), text(u""), text(u""), number(0), number(0),
        kFalse, kValueError}},
      {"krREPLACE",
       "krREPLACE",
       {text(u"abc"), text(u"b"), text(u"#")},
       text(u"a#c"),
       {text(u"abc"), text(u"b"), text(u"#"), kTrue, number(1), text(u""), text(u""), kFalse,
        kValueError}},
      {"krCOUNTINCELL",
       "krCOUNTINCELL",
       {text(u"abc"), text(u"b")},
       number(1),
       {text(u"abc"), text(u"b"), kTrue}},
  };
  for (const DefaultsCase& c : cases) {
    clsKestrune object;
    std::vector<Variant> arguments = c.given;
    EXPECT_EQ(test::call_with(object, c.member, arguments), c.answer) << c.what;
    EXPECT_EQ(arguments, c.written) << c.what;
  }
}

// The find text of 64 groups nested around "a".
std::u16string nested_groups() {
  std::u16string pattern = u"a";
  for (int i = 0; i < 64; ++i) pattern = u"(" + pattern + u")";
  return pattern;
}

// (ab)...(ab) then "\nc": (a|b)*c tries every start and every way back from each, far beyond
// what a call may spend.
std::u16string pairs_then_c() {
  std::u16string subject;
  while (subject.size() + 4 <= 32767) subject += u"ab";
  return subject + u"\nc";
}

struct FullCellCase {
  const char* what;
  std::string_view member;
  std::vector<Variant> arguments;
  Variant expected;
};

TEST(FullCells, AnswerAtEveryLimit) {
  const std::u16string a_cell(32767, u'a');
  const std::u16string last_b = std::u16string(32766, u'a') + u"b";
  // Lists widened by a length offset repeat most of the text for every match.
  const std::u16string wide = std::u16string(2048, u'a') + std::u16string(30719, u'x');
  // A context that a match must be followed by somewhere: from every position the look-ahead
  // scans the rest of the cell, a quadratic search that every full cell must still answer.
  std::u16string many_words;
  for (int i = 0; i < 4000; ++i) many_words += u"w ";
  many_words += u"z";
  const std::u16string bang = std::u16string(32000, u'a') + u"!" + std::u16string(766, u'a');
  const FullCellCase cases[] = {
      {"from the right",
       "krSEARCH",
       {text(last_b), text(u"b"), missing(), number(1), missing(), missing(), missing(), missing(),
        kTrue},
       number(1)},
      {"2,049 matches: a grid over the cap",
       "krSEARCH",
       {text(std::u16string(2049, u'x')), text(u"x"), missing(), number(13)},
       kValueError},
      {"the count still answers",
       "krSEARCH",
       {text(std::u16string(2049, u'x')), text(u"x"), missing(), number(9)},
       number(2049)},
      {"list over the result limit",
       "krSEARCH",
       {text(wide), text(u"a"), missing(), number(13), missing(), missing(), missing(),
        number(30000)},
       kValueError},
      {"context after every match",
       "krSEARCH",
       {text(bang), text(u"a"), missing(), number(9), text(u"*!")},
       number(32000)},
      {"context never after",
       "krSEARCH",
       {text(bang), text(u"a"), missing(), number(9), missing(), text(u"*!")},
       number(766)},
      {"both contexts",
       "krSEARCH",
       {text(bang), text(u"a"), missing(), number(9), text(u"*!"), text(u"*#")},
       number(32000)},
      {"64 nested groups replaced",
       "krREPLACE",
       {text(a_cell), text(nested_groups()), text(u""), missing(), kTrue},
       text(u"")},
      {"a replacement far longer than a result",
       "krREPLACE",
       {text(a_cell), text(u"a"), text(u"$'"), missing(), kTrue},
       kValueError},
      {"64 nested groups counted",
       "krCOUNTINCELL",
       {text(a_cell), text(nested_groups())},
       number(32767)},
      {"counted without keeping matches",
       "krCOUNTINCELL",
       {text(std::u16string(2097153, u'a')), text(u"a")},
       number(2097153)},
      {"a word past what a grid holds: only the matches before it are looked for",
       "krGETWORD",
       {text(many_words), number(4001)},
       text(u"z")},
      {"a search that cannot finish is no count",
       "krCOUNTINCELL",
       {text(pairs_then_c()), text(u"(a|b){0,}c")},
       kValueError},
  };
  for (const auto& c : cases) {
    clsKestrune object;
    std::vector<Variant> arguments = c.arguments;
    EXPECT_EQ(test::call_with(object, c.member, arguments), c.expected) << c.what;
  }
  // Grids at the cap and lists within the result limit are built.
  EXPECT_TRUE(
      call_new("krSEARCH", {text(std::u16string(2048, u'x')), text(u"x"), missing(), number(13)})
          .is_array());
  EXPECT_TRUE(call_new("krSEARCH", {text(wide), text(u"a"), missing(), number(13), missing(),
                                    missing(), missing(), number(4000)})
                  .is_array());
}

struct Call {
  std::string_view member;
  std::vector<Variant> arguments;
};

// An object remembers its last translation and its last matches. Each call of a sequence on one
// object, whatever changed from the call before, must answer as the same call on a new object.
// Each change below alters the answer, so a memory that missed it would show.
TEST(ObjectMemory, CallsInSequenceAnswerAsOnNewObjects) {
  const Variant subject = text(u"Order 42-A, order 7-b, ORDER 9");
  const Variant same_length = text(u"Order 43-A, order 8-b, ORDER 0");
  const Variant order = text(u"order ?");
  const Variant m = missing();
  const auto search = [&](Variant in, Variant find, double code) {
    return Call{"krSEARCH", {std::move(in), std::move(find), m, number(code)}};
  };
  const auto word = [&](const char16_t* in, double n, bool from_right) {
    return Call{"krGETWORD", {text(in), number(n), m, m, Variant::boolean(from_right)}};
  };
  const Call calls[] = {
      search(subject, order, 3),
      {"krSEARCH", {subject, order, kFalse, number(3)}},
      search(subject, order, 13),
      search(same_length, order, 13),
      {"krSEARCH", {subject, order, m, number(13), m, m, m, m, kTrue}},
      {"krSEARCH", {subject, order, m, number(3), text(u"X")}},
      {"krSEARCH", {subject, order, m, number(99), text(u"-")}},
      search(subject, order, 3),
      {"krSEARCH", {subject, order, m, number(3), m, text(u"-")}},
      search(subject, text(u"("), 3),  // a pattern that does not compile
      search(subject, order, 9),
      search(subject, text(u""), 9),
      search(text(u""), order, 9),
      search(number(1.5), text(u"x"), 3),
      // Replace mode and the members built on the engine share the same memory.
      {"krREPLACE", {subject, order, text(u"#"), kFalse, kFalse}},
      {"krREPLACE", {subject, order, text(u"#"), kFalse, kTrue}},
      {"krREPLACE", {subject, order, text(u"#"), kFalse, kFalse}},
      {"krCOUNTINCELL", {subject, text(u"order"), kTrue}},
      {"krCOUNTINCELL", {subject, text(u"order"), kFalse}},
      {"krCOUNTINCELL", {subject, text(u"order"), kTrue}},
      // krGETWORD reads its pieces from the memory, which the next call refills.
      word(u"alpha beta  gamma", 2, false),
      search(text(u"alpha beta  gamma"), text(u" "), 13),
      word(u"alpha beta  gamma", 2, true),
      word(u"one", 1, false),
      word(u"one", 2, false),
      word(u"  lead and\ttabs ", 3, false),
      search(text(u"  lead and\ttabs "), text(u" "), 13),
      word(u"alpha beta  gamma", 3, false),
      {"krCONCATULA", {text(u"2*21")}},
      {"krCONCATULA", {text(u"2*21")}},
      {"krCONCATULA", {text(u"3*21")}},
      {"krCONCATULA", {text(u"=5>=3")}},
      {"krCONCATULA", {text(u"5=>3")}},
      {"krCONCATULA", {text(u"x+1")}},
  };
  clsKestrune shared;
  int step = 0;
  for (const Call& c : calls) {
    std::vector<Variant> on_shared = c.arguments, on_fresh = c.arguments;
    clsKestrune fresh;
    EXPECT_EQ(test::call_with(shared, c.member, on_shared),
              test::call_with(fresh, c.member, on_fresh))
        << "call " << step << ": " << c.member;
    ++step;
  }
}

}  // namespace
}  // namespace kestrune
