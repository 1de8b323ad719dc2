// The members where the shared call tables cannot reach: defaults written back into the
// caller's arguments, full-size cells at every limit, calls that cannot finish, and an object's
// memory of its last search. The everyday answers are in tests/data/member_calls.txt.
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
using test::kNA;
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

// A result array: one dimension, indexed from 1.
Variant array_of(std::vector<Variant> elements) {
  Array array = Array::one_dimensional(elements.size());
  array.elements() = std::move(elements);
  return Variant::array(std::move(array));
}

struct DefaultsCase {
  std::string_view member;
  std::vector<Variant> given;
  Variant answer;
  std::vector<Variant> written;  // every argument after the call
};

// Each member writes its defaults into the omitted arguments the caller passed, also when the
// call then fails on an argument it cannot read.
TEST(Defaults, WrittenIntoTheCallersArguments) {
  const Variant m = missing(), empty = text(u""), zero = number(0), one = number(1);
  const Variant abc = text(u"abc"), x = text(u"x"), b = text(u"b"), hash = text(u"#");
  const Variant unreadable = Variant::array(Array::one_dimensional(2));
  const Variant subject = text(u"abc123def456"), digits = text(u"[0-9]+");
  const Variant fox = text(u"The quick brown fox"), blanks = text(u"( {1,}|\t{1,})");
  const DefaultsCase cases[] = {
      {"krSEARCH",
       {abc, x},
       kValueError,
       {abc, x, kTrue, one, empty, empty, zero, zero, kFalse, kValueError}},
      // Result code 20 defaults not_found_return to FALSE.
      {"krSEARCH",
       {abc, x, m, number(20)},
       kFalse,
       {abc, x, kTrue, number(20), empty, empty, zero, zero, kFalse, kFalse}},
      // Written before the text fails to read.
      {"krSEARCH",
       {unreadable, x},
       kValueError,
       {unreadable, x, kTrue, one, empty, empty, zero, zero, kFalse, kValueError}},
      {"krREPLACE",
       {abc, b, hash},
       text(u"a#c"),
       {abc, b, hash, kTrue, one, empty, empty, kFalse, kValueError}},
      {"krCOUNTINCELL", {abc, b}, one, {abc, b, kTrue}},
      // krREGEX reports by default, replaces when given a replacement, even an empty one, and
      // keeps a return type it is given.
      {"krREGEX", {subject, digits}, number(4), {subject, digits, kTrue, m, one, kValueError}},
      {"krREGEX",
       {subject, digits, m, hash},
       text(u"abc#def456"),
       {subject, digits, kTrue, hash, zero, kValueError}},
      {"krREGEX",
       {subject, digits, m, empty},
       text(u"abcdef456"),
       {subject, digits, kTrue, empty, zero, kValueError}},
      {"krREGEX",
       {subject, digits, m, empty, number(3)},
       text(u"123"),
       {subject, digits, kTrue, empty, number(3), kValueError}},
      {"krREGEX", {kNA, text(u"a")}, kValueError, {kNA, text(u"a"), kTrue, m, one, kValueError}},
      {"krGETWORD",
       {fox, number(2)},
       text(u"quick"),
       {fox, number(2), blanks, kTrue, kFalse, kValueError}},
      {"krST", {number(3)}, text(u"3rd"), {number(3), kFalse, kFalse}},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    const DefaultsCase& c = cases[row];
    clsKestrune object;
    std::vector<Variant> arguments = c.given;
    EXPECT_EQ(test::call_with(object, c.member, arguments), c.answer) << "row " << row;
    EXPECT_EQ(arguments, c.written) << "row " << row;
  }
}

struct FullCellCase {
  std::string_view member;
  std::vector<Variant> arguments;
  Variant expected;
};

TEST(FullCells, AnswerAtEveryLimit) {
  const Variant m = missing(), a = text(u"a"), x = text(u"x"), all = kTrue;
  std::u16string nested = u"a";  // 64 groups around "a"
  for (int i = 0; i < 64; ++i) nested = u"(" + nested + u")";
  // (ab)...(ab) then "\nc": (a|b)*c tries every start and every way back from each, far beyond
  // what a call may spend.
  std::u16string pairs_then_c;
  while (pairs_then_c.size() + 4 <= 32767) pairs_then_c += u"ab";
  const Variant full = text(std::u16string(32767, u'a')), groups = text(nested);
  const Variant last_b = text(std::u16string(32766, u'a') + u"b");
  const Variant xs = text(std::u16string(2049, u'x'));
  // Lists widened by a length offset repeat most of the text for every match.
  const Variant wide = text(std::u16string(2048, u'a') + std::u16string(30719, u'x'));
  // A context that a match must be followed by somewhere: from every position the look-ahead
  // scans the rest of the cell, a quadratic search that every full cell must still answer.
  const Variant bang = text(std::u16string(32000, u'a') + u"!" + std::u16string(766, u'a'));
  const Variant bang_last = text(std::u16string(32766, u'a') + u"!");
  const std::u16string left(16'000, u'x'), right(16'766, u'y');
  const Variant two_words = text(left + u" " + right);
  // 4,001 words: more than a result grid may hold, yet every word can be had, and only the
  // matches before it are looked for.
  std::u16string words;
  for (int i = 0; i < 4000; ++i) words += u"w ";
  const Variant many_words = text(words + u"z");
  std::vector<Variant> positions;
  for (int i = 1; i <= 32767; ++i) positions.push_back(number(i));
  const Variant many_a = text(std::u16string(32000, u'a')), alternation = text(u"(a|aa)*b");
  const FullCellCase cases[] = {
      {"krSEARCH", {last_b, text(u"b"), m, number(1), m, m, m, m, kTrue}, number(1)},
      {"krSEARCH", {xs, x, m, number(13)}, kValueError},  // a grid over the cap
      {"krSEARCH", {xs, x, m, number(9)}, number(2049)},  // whose count still answers
      {"krSEARCH", {wide, a, m, number(13), m, m, m, number(30000)}, kValueError},
      {"krSEARCH", {bang, a, m, number(9), text(u"*!")}, number(32000)},
      {"krSEARCH", {bang, a, m, number(9), m, text(u"*!")}, number(766)},
      {"krSEARCH", {bang, a, m, number(9), text(u"*!"), text(u"*#")}, number(32000)},
      {"krREPLACE", {full, groups, text(u""), m, all}, text(u"")},
      {"krREPLACE", {full, a, text(u"$'"), m, all}, kValueError},  // far longer than a result
      {"krCOUNTINCELL", {full, groups}, number(32767)},
      // Counted without keeping the matches.
      {"krCOUNTINCELL", {text(std::u16string(2097153, u'a')), a}, number(2097153)},
      {"krCOUNTINCELL", {text(pairs_then_c + u"\nc"), text(u"(a|b){0,}c")}, kValueError},
      {"krSEARCH", {text(pairs_then_c + u"\nc"), text(u"(a|b){0,}c"), m, number(1)}, kValueError},
      {"krGETWORD", {many_words, number(4001)}, text(u"z")},
      {"krGETWORD", {many_words, number(4002)}, kValueError},
      {"krGETWORD", {two_words, number(2)}, text(right)},
      {"krGETWORD", {two_words, number(2), m, m, kTrue}, text(left)},
      {"krREGEX", {full, a, m, m, number(4)}, number(32767)},
      {"krREGEX", {full, text(u"$"), m, m, number(1)}, number(32768)},
      {"krREGEX", {full, text(u"a+"), m, m, number(2)}, number(32767)},
      {"krREGEX", {full, a, m, text(u"bb"), number(-1)}, text(std::u16string(65534, u'b'))},
      {"krREGEX", {full, a, m, m, number(5)}, array_of(positions)},
      {"krREGEX", {full, groups, m, m, number(4)}, number(32767)},
      {"krREGEX", {full, groups, m, m, number(5)}, array_of(positions)},
      {"krREGEX", {full, groups, m, text(u"$64"), number(-1)}, full},
      {"krREGEX", {bang_last, text(u"a(?=[^!]*!)"), m, m, number(4)}, number(32766)},
      {"krREGEX", {many_a, a, m, text(u"$`"), number(-1)}, kValueError},  // too long a result
      // Calls that cannot finish answer not_found_return.
      {"krREGEX", {many_a, alternation}, kValueError},
      {"krREGEX", {many_a, alternation, m, m, m, number(0)}, number(0)},
      {"krREGEX", {many_a, text(u"(a*)*[^a]")}, kValueError},
      {"krREGEX", {many_a, alternation, m, text(u"x"), m, kNA}, kNA},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    clsKestrune object;
    std::vector<Variant> arguments = cases[row].arguments;
    EXPECT_EQ(test::call_with(object, cases[row].member, arguments), cases[row].expected)
        << "row " << row;
  }
  // Grids at the cap and lists within the result limit are built.
  EXPECT_TRUE(
      call_new("krSEARCH", {text(std::u16string(2048, u'x')), x, m, number(13)}).is_array());
  EXPECT_TRUE(call_new("krSEARCH", {wide, a, m, number(13), m, m, m, number(4000)}).is_array());
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
      // krREGEX's own matcher reuses its compiled pattern while the text and case stay.
      {"krREGEX", {subject, text(u"o[a-z]+")}},
      {"krREGEX", {subject, text(u"o[a-z]+"), kFalse}},
      {"krREGEX", {subject, text(u"o[a-z]+")}},
      {"krREGEX", {subject, text(u"r[a-z]+")}},
      {"krREGEX", {subject, text(u"(")}},
      {"krREGEX", {subject, text(u"o[a-z]+")}},
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
