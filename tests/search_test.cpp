// The search engine and its members: search-syntax translation, defaults written in place,
// every result code, replace mode, searching from the right, and bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "base/failure.hpp"
#include "base/utf8.hpp"
#include "search/search_memory.hpp"
#include "search/search_results.hpp"
#include "search/search_syntax.hpp"
#include "search/text_search.hpp"
#include "test_support.hpp"
#include "variant_printer.hpp"

namespace kestrune {
namespace {

using test::cell;
using test::kValueError;
using test::missing;
using test::number;
using test::text;

// krSEARCH with the optional arguments named; omitted ones are missing markers.
struct Search {
  Variant string_to_search;
  Variant find_text;
  Variant case_sensitive = missing();
  Variant return_type = missing();
  Variant find_before_text = missing();
  Variant find_not_before_text = missing();
  Variant return_position_offset = missing();
  Variant return_length_offset = missing();
  Variant search_from_right = missing();
  Variant not_found_return = missing();

  Variant run() {
    clsKestrune object;
    return run(object);
  }
  Variant run(clsKestrune& object) {
    return object.krSEARCH(string_to_search, find_text, case_sensitive, return_type,
                           find_before_text, find_not_before_text, return_position_offset,
                           return_length_offset, search_from_right, not_found_return);
  }
};

Search search(std::u16string subject, std::u16string find, double code) {
  Search s{text(std::move(subject)), text(std::move(find))};
  s.return_type = number(code);
  return s;
}

Variant texts_list(std::vector<std::u16string> items) {
  Array array = Array::one_dimensional(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) array.elements()[i] = text(items[i]);
  return Variant::array(std::move(array));
}

Variant as_list(const Variant& grid) {
  const std::vector<Variant> items = test::grid_list(grid);
  Array array = Array::one_dimensional(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) array.elements()[i] = items[i];
  return Variant::array(std::move(array));
}

struct Translation {
  const char16_t* find;
  const char16_t* pattern;
};

TEST(SearchSyntax, Translation) {
  const Translation cases[] = {
      {u"a.b", u"a\\.b"},     {u"1+1=2", u"1\\+1=2"},       {u"$5", u"\\$5"},
      {u"a*c", u"a.*?c"},     {u"a\\*c", u"a\\*c"},         {u"a\\?", u"a\\?"},
      {u"h?t", u"h.t"},       {u"\\.", u"\\\\."},           {u"*?", u".*?."},
      {u"[0-9]", u"[0-9]"},   {u"(cat|dog)", u"(cat|dog)"}, {u"", u""},
      {u"\\\\*", u"\\\\*"},   {u"**", u".*?.*?"},           {u"$*", u"\\$.*?"},
      {u"\\d{2}", u"\\d{2}"}, {u"^a|b$", u"^a|b\\$"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(translate_search_syntax(c.find), c.pattern) << to_utf8(c.find);
  }
}

TEST(SearchSyntax, PatternQueryShowsContextsTranslated) {
  struct Case {
    const char16_t* find;
    Variant before;
    Variant not_before;
    const char16_t* pattern;
  };
  const Case cases[] = {
      {u"x", text(u"y"), missing(), u"x(?=y)"},   {u"x", text(u"y"), text(u"z"), u"x(?=y)(?!z)"},
      {u"x", text(u"."), missing(), u"x(?=\\.)"}, {u"x", missing(), text(u"a*"), u"x(?!a.*?)"},
      {u"x", Variant(), Variant(), u"x"},  // blanks are empty texts: no look-ahead
      {u"-", missing(), missing(), u"-"},
  };
  for (const auto& c : cases) {
    Search s = search(u"anything", c.find, 99);
    s.find_before_text = c.before;
    s.find_not_before_text = c.not_before;
    EXPECT_EQ(s.run(), text(c.pattern)) << to_utf8(c.pattern);
  }
}

struct CodeCase {
  double code;
  Variant expected;
};

// Every code on "a-b-c" with "-": matches at 2 and 4.
TEST(ResultCodes, EveryCodeOnASimpleText) {
  const CodeCase cases[] = {
      {1, number(2)},    {2, number(4)},    {3, text(u"-")},    {4, number(1)},
      {5, text(u"a")},   {6, text(u"b-c")}, {7, text(u"a-")},   {8, text(u"-b-c")},
      {9, number(2)},    {10, number(3)},   {15, number(2)},    {21, Variant::boolean(true)},
      {22, kValueError}, {0, kValueError},  {1.5, kValueError}, {99, text(u"-")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(search(u"a-b-c", u"-", c.code).run(), c.expected) << c.code;
  }
}

TEST(ResultCodes, ListsAreMirroredGrids) {
  const CodeCase cases[] = {
      {11, texts_list({u"2", u"4"})},       {12, texts_list({u"4", u"2"})},
      {13, texts_list({u"-", u"-"})},       {14, texts_list({u"1", u"1"})},
      {16, texts_list({u"a", u"b"})},       {17, texts_list({u"b", u"c"})},
      {18, texts_list({u"a", u"b", u"c"})}, {19, texts_list({u"a-", u"b-"})},
      {20, texts_list({u"-b", u"-c"})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(as_list(search(u"a-b-c", u"-", c.code).run()), c.expected) << c.code;
  }
}

TEST(ResultCodes, GridShapeAndEmptyCells) {
  const Variant grid = search(u"a-b-c", u"-", 11).run();
  ASSERT_TRUE(grid.is_array());
  const Array& array = grid.array_value();
  ASSERT_EQ(array.dimensions(), 2u);
  EXPECT_EQ(array.bounds()[0].lower, 1);
  EXPECT_EQ(array.bounds()[0].count, 2u);
  EXPECT_EQ(array.at(1, 1), text(u"2"));
  EXPECT_EQ(array.at(2, 1), text(u"4"));
  EXPECT_EQ(array.at(1, 2), text(u"4"));
  EXPECT_TRUE(array.at(2, 2).is_empty());
}

TEST(ResultCodes, PiecesCountSkipsEmptyOnes) {
  EXPECT_EQ(search(u"-a--b", u"-", 10).run(), number(2));
  EXPECT_EQ(as_list(search(u"-a--b", u"-", 18).run()), texts_list({u"", u"a", u"", u"b"}));
  EXPECT_EQ(search(u"aaaa", u"aa", 9).run(), number(2));  // matches do not overlap
}

struct OffsetCase {
  double position_offset;
  double length_offset;
  double code;
  Variant expected;
};

TEST(ResultCodes, Offsets) {
  const OffsetCase cases[] = {
      {1, 0, 1, number(3)},      {1, 0, 3, text(u"b")},    {1, 0, 6, text(u"-c")},
      {-1, 2, 3, text(u"a-b")},  {-1, 2, 5, text(u"")},    {-2, 0, 3, text(u"")},
      {-2, 0, 5, text(u"")},     {-2, 0, 1, number(0)},    {0, -5, 3, text(u"")},
      {0, -5, 4, number(0)},     {0, -5, 15, number(0)},   {0, 10, 3, text(u"-b-c")},
      {10, 0, 3, text(u"")},     {10, 0, 1, number(12)},   {0, 0.4, 3, text(u"-")},
      {0, 0.5, 3, text(u"-b")},  {0, 1.5, 3, text(u"-b")}, {0, 2.5, 3, text(u"-b-c")},
      {0, -1, 6, text(u"-b-c")},  // a shorter window leaves a longer tail
  };
  for (const auto& c : cases) {
    Search s = search(u"a-b-c", u"-", c.code);
    s.return_position_offset = number(c.position_offset);
    s.return_length_offset = number(c.length_offset);
    EXPECT_EQ(s.run(), c.expected)
        << c.position_offset << " " << c.length_offset << " code " << c.code;
  }
  Search floors = search(u"a-b-c", u"-", 14);
  floors.return_length_offset = number(-5);
  EXPECT_EQ(as_list(floors.run()), texts_list({u"0", u"0"}));
}

TEST(ResultCodes, OffsetsReadAsNumbers) {
  Search as_text = search(u"a-b-c", u"-", 1);
  as_text.return_position_offset = text(u"1");
  EXPECT_EQ(as_text.run(), number(3));
  Search unreadable = search(u"a-b-c", u"-", 1);
  unreadable.return_position_offset = text(u"one");
  EXPECT_EQ(unreadable.run(), kValueError);
  Search impossible_cut = search(u"a-b-c", u"-", 3);
  impossible_cut.return_length_offset = number(1e12);
  EXPECT_EQ(impossible_cut.run(), kValueError);
}

TEST(SearchFromRight, ReversedWorkingText) {
  const CodeCase cases[] = {
      {1, number(2)},    {2, number(4)},   {5, text(u"c")},
      {6, text(u"a-b")}, {7, text(u"-c")}, {99, text(u"-")},
  };
  for (const auto& c : cases) {
    Search s = search(u"a-b-c", u"-", c.code);
    s.search_from_right = Variant::boolean(true);
    EXPECT_EQ(s.run(), c.expected) << c.code;
  }
  Search pieces = search(u"a-b-c", u"-", 18);
  pieces.search_from_right = Variant::boolean(true);
  EXPECT_EQ(as_list(pieces.run()), texts_list({u"c", u"b", u"a"}));
}

TEST(SearchFromRight, PiecesReadForwards) {
  const CodeCase cases[] = {
      {7, text(u"-ef")},
      {8, text(u"ab-cd-")},
  };
  for (const auto& c : cases) {
    Search s = search(u"ab-cd-ef", u"-", c.code);
    s.search_from_right = Variant::boolean(true);
    EXPECT_EQ(s.run(), c.expected) << c.code;
  }
  Search pieces = search(u"ab-cd-ef", u"-", 18);
  pieces.search_from_right = Variant::boolean(true);
  EXPECT_EQ(as_list(pieces.run()), texts_list({u"ef", u"cd", u"ab"}));
}

TEST(SearchFromRight, FindTextIsNotReversed) {
  Search ab = search(u"abxab", u"ab", 1);
  ab.search_from_right = Variant::boolean(true);
  EXPECT_EQ(ab.run(), kValueError);
  Search ba = search(u"abxab", u"ba", 1);
  ba.search_from_right = Variant::boolean(true);
  EXPECT_EQ(ba.run(), number(1));
}

TEST(SearchFromRight, FullLengthCells) {
  // 32,767 units: the longest cell; reversing it is no error.
  std::u16string cell_text(32766, u'a');
  cell_text += u'b';
  Search s = search(cell_text, u"b", 1);
  s.search_from_right = Variant::boolean(true);
  EXPECT_EQ(s.run(), number(1));
  clsKestrune object;
  Variant input = text(cell_text);
  const std::u16string reversed = object.Reverse(input);
  ASSERT_EQ(reversed.size(), 32767u);
  EXPECT_EQ(reversed.front(), u'b');
}

TEST(Defaults, WrittenIntoTheCallersArguments) {
  Search s{text(u"abc"), text(u"x")};
  s.run();
  EXPECT_EQ(s.case_sensitive, Variant::boolean(true));
  EXPECT_EQ(s.return_type, number(1));
  EXPECT_EQ(s.find_before_text, text(u""));
  EXPECT_EQ(s.find_not_before_text, text(u""));
  EXPECT_EQ(s.return_position_offset, number(0));
  EXPECT_EQ(s.return_length_offset, number(0));
  EXPECT_EQ(s.search_from_right, Variant::boolean(false));
  EXPECT_EQ(s.not_found_return, kValueError);
}

TEST(Defaults, NotFoundReturnIsFalseOnlyForCode20) {
  EXPECT_EQ(search(u"abc", u"x", 20).run(), Variant::boolean(false));
  EXPECT_EQ(search(u"abc", u"x", 21).run(), kValueError);
  Search given = search(u"abc", u"x", 20);
  given.not_found_return = number(0);
  EXPECT_EQ(given.run(), number(0));
}

TEST(Outcomes, CaseAndNotFound) {
  Search sensitive{text(u"abc"), text(u"A")};
  EXPECT_EQ(sensitive.run(), kValueError);
  Search insensitive{text(u"abc"), text(u"A")};
  insensitive.case_sensitive = Variant::boolean(false);
  EXPECT_EQ(insensitive.run(), number(1));
  Search blank_case{text(u"abc"), text(u"A")};
  blank_case.case_sensitive = Variant();  // a blank cell reads as FALSE
  EXPECT_EQ(blank_case.run(), number(1));
  Search zero{text(u"abc"), text(u"x")};
  zero.not_found_return = number(0);
  EXPECT_EQ(zero.run(), number(0));
  EXPECT_EQ((Search{text(u"Price: $5"), text(u"$")}.run()), number(8));
  EXPECT_EQ(search(u"abcabc", u"a*c", 3).run(), text(u"abc"));
  EXPECT_EQ(search(u"hat hot hit", u"h?t", 9).run(), number(3));
  EXPECT_EQ(search(u"a*c abc", u"a\\*c", 9).run(), number(1));
  EXPECT_EQ(search(u"a? ab", u"a\\?", 1).run(), number(1));
  EXPECT_EQ(search(u"x\\y", u"\\.", 3).run(), text(u"\\y"));
  EXPECT_EQ(search(u"cat dog", u"(cat|dog)", 9).run(), number(2));
}

TEST(Outcomes, ErrorPathAnswersNotFoundReturn) {
  struct Case {
    Search call;
    Variant expected;
  };
  Search unbalanced = search(u"a(b", u"(", 1);
  Search trailing_backslash = search(u"a\\", u"a\\", 1);
  Search error_subject{Variant::error(worksheet_error::kNA), text(u"a")};
  Search null_find{text(u"abc"), Variant::null()};
  Search bad_case{text(u"abc"), text(u"a")};
  bad_case.case_sensitive = text(u"maybe");
  Search bad_code = search(u"abc", u"a", 1);
  bad_code.return_type = text(u"abc");
  Search range_subject{test::row({u"a", u"b"}), text(u"a")};
  Search kept_type = search(u"abc", u"(", 1);
  kept_type.not_found_return = number(-1);
  Case cases[] = {
      {unbalanced, kValueError},    {trailing_backslash, kValueError}, {error_subject, kValueError},
      {null_find, kValueError},     {bad_case, kValueError},           {bad_code, kValueError},
      {range_subject, kValueError}, {kept_type, number(-1)},
  };
  for (auto& c : cases) EXPECT_EQ(c.call.run(), c.expected);
}

TEST(Outcomes, ReadsCellReferencesAndNumbers) {
  EXPECT_EQ((Search{cell(text(u"a-b-c")), text(u"-")}.run()), number(2));
  EXPECT_EQ((Search{number(12345), number(3)}.run()), number(3));
  test::ScopedDecimalSeparator comma(u",");
  EXPECT_EQ((Search{number(2.5), text(u",")}.run()), number(2));
}

TEST(Outcomes, GridsLargerThanTheCapTakeTheErrorPath) {
  // 2,049 matches need a grid of 2,049 x 2,049 cells: over the cap; the count still answers.
  const std::u16string many(2049, u'x');
  EXPECT_EQ(search(many, u"x", 13).run(), kValueError);
  EXPECT_EQ(search(many, u"x", 9).run(), number(2049));
  const std::u16string at_cap(2048, u'x');
  EXPECT_TRUE(search(at_cap, u"x", 13).run().is_array());
}

// Windows widened by a length offset repeat most of the text for every match: a list longer
// than the result limit in all takes the error path before it is built.
TEST(Outcomes, ListsLongerThanTheResultLimitTakeTheErrorPath) {
  const std::u16string subject = std::u16string(2048, u'a') + std::u16string(30719, u'x');
  struct Case {
    double length_offset;
    bool answers;
  };
  const Case cases[] = {{4000, true}, {30000, false}};
  for (const auto& c : cases) {
    Search s = search(subject, u"a", 13);
    s.return_length_offset = number(c.length_offset);
    const Variant answer = s.run();
    EXPECT_EQ(answer.is_array(), c.answers) << c.length_offset;
    if (!c.answers) {
      EXPECT_EQ(answer, kValueError);
    }
  }
}

TEST(Outcomes, ListsKeptInMemoryHaveNoCap) {
  // The engine's own members may ask for the list itself instead of the grid.
  Variant subject = text(std::u16string(4000, u'x')), find = text(u"x"), code = number(18);
  Variant m1 = missing(), m2 = missing(), m3 = missing(), m4 = missing(), m5 = missing();
  Variant m6 = missing(), m7 = missing(), m8 = missing();
  SearchMemory memory;
  const Variant count = TextSearch(memory, {subject, find, m1, m2, code, m3, m4, m5, m6, m7, m8},
                                   ListLayout::kept_in_memory);
  EXPECT_EQ(count, number(4001));
  ASSERT_EQ(memory.list().size(), 4001u);
  EXPECT_EQ(memory.list().front(), text(u""));
}

// krREPLACE with the optional arguments named.
struct Replace {
  Variant string_to_search;
  Variant find_text;
  Variant replace_text;
  Variant case_sensitive = missing();
  Variant replace_all = missing();
  Variant find_before_text = missing();
  Variant find_not_before_text = missing();
  Variant search_from_right = missing();
  Variant not_found_return = missing();

  Variant run() {
    clsKestrune object;
    return run(object);
  }
  Variant run(clsKestrune& object) {
    return object.krREPLACE(string_to_search, find_text, replace_text, case_sensitive, replace_all,
                            find_before_text, find_not_before_text, search_from_right,
                            not_found_return);
  }
};

TEST(ReplaceMode, ReplaceAllIsTheComplementOfNot) {
  struct Case {
    Variant replace_all;
    const char16_t* expected;
  };
  const Case cases[] = {
      {missing(), u"aXcabc"},
      {Variant::boolean(false), u"aXcabc"},
      {number(1), u"aXcabc"},
      {number(0), u"aXcabc"},
      {Variant(), u"aXcabc"},
      {Variant::boolean(true), u"aXcaXc"},
      {number(-1), u"aXcaXc"},
      {number(-1.4), u"aXcaXc"},
      {number(-0.5), u"aXcabc"},  // rounds to 0
      {text(u"-1"), u"aXcaXc"},
      // The default not_found_return compares replace_all with 20 first: a text that is no
      // number fails that comparison.
      {text(u"True"), u"#VALUE!"},
  };
  for (const auto& c : cases) {
    Replace r{text(u"abcabc"), text(u"b"), text(u"X")};
    r.replace_all = c.replace_all;
    EXPECT_EQ(r.run(), text(c.expected)) << to_utf8(c.expected);
  }
  Replace unreadable{text(u"abcabc"), text(u"b"), text(u"X")};
  unreadable.replace_all = text(u"all");
  EXPECT_EQ(unreadable.run(), kValueError);
}

TEST(ReplaceMode, Outcomes) {
  EXPECT_EQ((Replace{text(u"a-b-c"), text(u"-"), text(u"+")}.run()), text(u"a+b-c"));
  Replace from_right{text(u"abcabc"), text(u"b"), text(u"XY")};
  from_right.search_from_right = Variant::boolean(true);
  EXPECT_EQ(from_right.run(), text(u"abcaYXc"));
  EXPECT_EQ((Replace{text(u"abc"), text(u"x"), text(u"y")}.run()), kValueError);
  Replace same{text(u"abc"), text(u"x"), text(u"y")};
  same.not_found_return = text(u"abc");
  EXPECT_EQ(same.run(), text(u"abc"));
  Replace context{text(u"a1b1"), text(u"1"), text(u"X")};
  context.find_before_text = text(u"b");
  EXPECT_EQ(context.run(), text(u"aXb1"));
  Replace query{text(u"abc"), text(u"a.c"), text(u"y")};
  query.replace_all = number(99);
  EXPECT_EQ(query.run(), text(u"a\\.c"));
  Replace false_default{text(u"abc"), text(u"x"), text(u"y")};
  false_default.replace_all = number(20);
  EXPECT_EQ(false_default.run(), Variant::boolean(false));
  Replace empty_replacement{text(u"a-b"), text(u"-"), text(u"")};
  EXPECT_EQ(empty_replacement.run(), text(u"ab"));
  Replace dollar{text(u"a-b"), text(u"-"), text(u"[$&]")};
  EXPECT_EQ(dollar.run(), text(u"a[-]b"));
  Replace number_replacement{text(u"a-b"), text(u"-"), number(7)};
  EXPECT_EQ(number_replacement.run(), text(u"a7b"));
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

TEST(ReplaceMode, FullCells) {
  struct Case {
    std::u16string find;
    const char16_t* replacement;
    Variant expected;
  };
  const Case cases[] = {
      {nested_groups(), u"", text(u"")},
      // 32,767 copies of what follows each match: far more than a result may hold.
      {u"a", u"$'", kValueError},
  };
  for (const auto& c : cases) {
    Replace r{text(std::u16string(32767, u'a')), text(c.find), text(c.replacement)};
    r.replace_all = Variant::boolean(true);
    EXPECT_EQ(r.run(), c.expected) << to_utf8(c.replacement);
  }
}

// A context that a match must be followed by somewhere: from every position the look-ahead
// scans the rest of the cell, a quadratic search that every full cell must still answer.
TEST(Outcomes, ContextsScanningTheWholeCellAnswer) {
  const std::u16string subject = std::u16string(32000, u'a') + u"!" + std::u16string(766, u'a');
  Search before = search(subject, u"a", 9);
  before.find_before_text = text(u"*!");
  Search not_before = search(subject, u"a", 9);
  not_before.find_not_before_text = text(u"*!");
  Search both = before;
  both.find_not_before_text = text(u"*#");
  const std::pair<Search, Variant> cases[] = {
      {before, number(32000)}, {not_before, number(766)}, {both, number(32000)}};
  for (auto [call, expected] : cases) EXPECT_EQ(call.run(), expected);
}

TEST(CountInCell, CountsOrZero) {
  struct Case {
    Variant cell_reference;
    std::u16string find;
    Variant case_sensitive;
    Variant expected;
  };
  const Case cases[] = {
      {cell(text(u"banana")), u"a", missing(), number(3)},
      {cell(text(u"banana")), u"an", missing(), number(2)},
      {cell(text(u"banana")), u"x", missing(), number(0)},
      {cell(text(u"banana")), u"A", missing(), number(0)},
      {cell(text(u"banana")), u"A", Variant::boolean(false), number(3)},
      {text(u"banana"), u"(", missing(), number(0)},
      {text(u"a.b.c"), u".", missing(), number(2)},
      {number(1001), u"0", missing(), number(2)},
      {Variant::error(worksheet_error::kNA), u"a", missing(), number(0)},
      {cell(test::row({u"a", u"b"})), u"a", missing(), number(0)},
      // Counted without keeping the matches, however many groups or matches there are.
      {text(std::u16string(32767, u'a')), nested_groups(), missing(), number(32767)},
      {text(std::u16string(2097153, u'a')), u"a", missing(), number(2097153)},
      // A search that cannot finish is no count.
      {text(pairs_then_c()), u"(a|b){0,}c", missing(), kValueError},
  };
  for (const auto& c : cases) {
    clsKestrune object;
    Variant cell_reference = c.cell_reference;
    Variant find = text(c.find);
    Variant case_sensitive = c.case_sensitive;
    EXPECT_EQ(object.krCOUNTINCELL(cell_reference, find, case_sensitive), c.expected)
        << to_utf8(c.find.substr(0, 16));
  }
}

TEST(Reverse, Texts) {
  clsKestrune object;
  struct Case {
    Variant input;
    const char16_t* expected;
  };
  const Case cases[] = {
      {text(u"abc"), u"cba"},
      {text(u""), u""},
      {number(123), u"321"},
      {Variant(), u""},
      {Variant::boolean(true), u"eurT"},
  };
  for (const auto& c : cases) {
    Variant input = c.input;
    EXPECT_EQ(object.Reverse(input), c.expected);
  }
  Variant error = Variant::error(worksheet_error::kNA);
  EXPECT_THROW(object.Reverse(error), Failure);
}

// An object remembers its last translation and its last matches. Each call of a sequence on one
// object, whatever changed from the call before, must answer as the same call on a new object.
TEST(ObjectMemory, CallsInSequenceAnswerAsOnNewObjects) {
  const std::u16string subject = u"Order 42-A, order 7-b, ORDER 9";
  const std::u16string same_length = u"Order 43-A, order 8-b, ORDER 0";
  const auto with = [](Search s, auto&& change) {
    change(s);
    return s;
  };
  // Each change below alters the answer, so a memory that missed it would show.
  const std::vector<Search> searches = {
      search(subject, u"order ?", 3),  // "order 7"
      with(search(subject, u"order ?", 3),
           [](Search& s) { s.case_sensitive = Variant::boolean(false); }),  // "Order 4"
      search(subject, u"order ?", 13),      // every match, after the first only
      search(same_length, u"order ?", 13),  // another text of the same length
      with(search(subject, u"order ?", 13),
           [](Search& s) { s.search_from_right = Variant::boolean(true); }),
      with(search(subject, u"order ?", 3), [](Search& s) { s.find_before_text = text(u"X"); }),
      with(search(subject, u"order ?", 99), [](Search& s) { s.find_before_text = text(u"-"); }),
      search(subject, u"order ?", 3),
      with(search(subject, u"order ?", 3), [](Search& s) { s.find_not_before_text = text(u"-"); }),
      search(subject, u"(", 3),  // a pattern that does not compile
      search(subject, u"order ?", 9),
      search(subject, u"", 9),
      search(u"", u"order ?", 9),
      with(search(subject, u"x", 3), [](Search& s) { s.string_to_search = number(1.5); }),
  };
  clsKestrune shared;
  for (Search s : searches) {
    Search fresh = s;
    EXPECT_EQ(s.run(shared), fresh.run()) << to_utf8(s.find_text.text_value());
  }

  // Replace mode and the members built on the engine share the same memory.
  Replace first_only{text(subject), text(u"order ?"), text(u"#")};
  first_only.case_sensitive = Variant::boolean(false);
  first_only.replace_all = Variant::boolean(false);
  Replace every = first_only;
  every.replace_all = Variant::boolean(true);
  for (Replace r : {first_only, every, first_only}) {
    Replace fresh = r;
    EXPECT_EQ(r.run(shared), fresh.run());
  }
  const auto count = [&](clsKestrune& object, std::u16string in, bool case_sensitive) {
    Variant cell_reference = text(std::move(in)), find = text(u"order");
    Variant rule = Variant::boolean(case_sensitive);
    return object.krCOUNTINCELL(cell_reference, find, rule);
  };
  const auto formula = [](clsKestrune& object, std::u16string written) {
    Variant text_formula = text(std::move(written));
    return object.krCONCATULA(text_formula);
  };
  for (const bool case_sensitive : {true, false, true}) {
    clsKestrune fresh;
    EXPECT_EQ(count(shared, subject, case_sensitive), count(fresh, subject, case_sensitive));
  }
  // krGETWORD reads its pieces from the memory, which the next call refills.
  const auto word = [](clsKestrune& object, std::u16string in, double n, bool from_right) {
    Variant string_to_search = text(std::move(in)), nth = number(n);
    Variant separator = missing(), case_sensitive = missing(), not_found = missing();
    Variant right = Variant::boolean(from_right);
    return object.krGETWORD(string_to_search, nth, separator, case_sensitive, right, not_found);
  };
  const struct {
    const char16_t* in;
    double n;
    bool from_right;
  } words[] = {{u"alpha beta  gamma", 2, false},
               {u"alpha beta  gamma", 2, true},
               {u"one", 1, false},
               {u"one", 2, false},
               {u"  lead and\ttabs ", 3, false},
               {u"alpha beta  gamma", 3, false}};
  for (const auto& w : words) {
    clsKestrune fresh;
    EXPECT_EQ(word(shared, w.in, w.n, w.from_right), word(fresh, w.in, w.n, w.from_right))
        << to_utf8(w.in);
    EXPECT_EQ(Search(search(w.in, u" ", 13)).run(shared), search(w.in, u" ", 13).run());
  }
  for (const std::u16string written : {u"2*21", u"2*21", u"3*21", u"=5>=3", u"5=>3", u"x+1"}) {
    clsKestrune fresh;
    EXPECT_EQ(formula(shared, written), formula(fresh, written)) << to_utf8(written);
  }
}

}  // namespace
}  // namespace kestrune
