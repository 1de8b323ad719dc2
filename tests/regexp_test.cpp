// The regular-expression service: the conformance table that Node produced
// (tests/data/regexp_conformance.tsv: matching, replacing, case, what does not compile, the PCRE2
// JIT faults worked around), and what that table cannot show: one matcher called in sequence,
// patterns as large and as deep as a cell allows, the budget on runaway patterns, long legitimate
// matches, the cache and threads.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/failure.hpp"
#include "base/result_limits.hpp"
#include "regexp/budget.hpp"
#include "regexp/compiled_pattern.hpp"
#include "regexp/match_loop.hpp"
#include "regexp/pattern_cache.hpp"
#include "regexp/pattern_parser.hpp"
#include "regexp/regexp.hpp"
#include "regexp/translator.hpp"
#include "regexp_case_file.hpp"

namespace kestrune {
namespace {

using regexp_cases::escape;

constexpr std::size_t kLongestCell = 32767;

// `unit` repeated, then `tail`: kLongestCell units in all.
std::u16string cell(std::u16string_view unit, std::u16string_view tail = u"") {
  std::u16string text;
  while (text.size() + tail.size() < kLongestCell) text += unit;
  text.resize(kLongestCell - tail.size());
  return text + std::u16string(tail);
}

// A RegExp with its settings made at construction.
struct Configured : RegExp {
  explicit Configured(std::u16string pattern, bool global = false, bool ignore_case = false) {
    Pattern = std::move(pattern);
    Global = global;
    IgnoreCase = ignore_case;
  }
};

std::string spans_of(const MatchCollection& matches) {
  std::string out;
  for (const Match& m : matches) {
    if (!out.empty()) out += ' ';
    out += std::to_string(m.FirstIndex) + "+" + std::to_string(m.Length);
  }
  return out.empty() ? "none" : out;
}

// ---- the object model --------------------------------------------------------------------

TEST(RegExpObjectModel, MatchValueViewsTheSearchedText) {
  const std::u16string text = u"Order 42-A";
  Configured re(u"\\d+-.");
  const MatchCollection matches = re.Execute(text);
  ASSERT_EQ(matches.Count(), 1u);
  EXPECT_EQ(matches.Item(0).FirstIndex, 6u);
  EXPECT_EQ(matches.Item(0).Length, 4u);
  EXPECT_EQ(matches.Item(0).Value, u"42-A");
  EXPECT_EQ(matches.Item(0).Value.data(), text.data() + 6);
  EXPECT_THROW(matches.Item(1), std::out_of_range);
}

// One matcher called in sequence: nothing of a call may leak into a call on another text,
// pattern or case setting.
TEST(RegExpObjectModel, CallsInSequenceFollowTheSettings) {
  Configured re(u"a", true);
  EXPECT_TRUE(re.Test(u"xa"));
  EXPECT_EQ(spans_of(re.Execute(u"aa")), "0+1 1+1");  // another text
  re.Pattern = u"b";
  EXPECT_EQ(spans_of(re.Execute(u"aa")), "none");  // another pattern
  re.Pattern = u"a";
  re.IgnoreCase = true;
  EXPECT_EQ(spans_of(re.Execute(u"aA")), "0+1 1+1");  // another case setting
  re.Global = false;
  EXPECT_TRUE(re.Test(u"bAa"));
  EXPECT_EQ(spans_of(re.Execute(u"bAa")), "1+1");
  re.Global = true;
  EXPECT_EQ(spans_of(re.Execute(u"bAa")), "1+1 2+1");
  EXPECT_EQ(re.Replace(u"bAa", u"<$&>"), u"b<A><a>");
  re.Global = false;
  EXPECT_EQ(re.Replace(u"bAa", u"<$&>"), u"b<A>a");
}

// A text changed in place at the same address is a different text.
TEST(RegExpObjectModel, SameAddressIsNotTheSameText) {
  std::u16string text = u"a1";
  Configured re(u"\\d");
  EXPECT_EQ(spans_of(re.Execute(text)), "1+1");
  text[0] = u'2';
  EXPECT_EQ(spans_of(re.Execute(text)), "0+1");
}

// ---- patterns too large to build -------------------------------------------------------------

// What PCRE2 would compile is bounded before it is built: the pattern's length, and its
// translation with the copies PCRE2 makes of repeated groups.
TEST(RegExpFailure, OversizedPatternsFailBeforeTheyAreBuilt) {
  // A class of one unit written kMaxPatternLength units long translates to "a".
  const std::u16string at_limit =
      u"[" + std::u16string(regexp_internal::kMaxPatternLength - 2, u'a') + u"]";
  struct SizeCase {
    std::u16string pattern;
    bool compiles;
  };
  const SizeCase cases[] = {
      {at_limit, true},
      {at_limit + u"?", false},
      {u"(?:(?:ab){1000}){1000}", false},     // a million copies of "ab"
      {std::u16string(100000, u'.'), false},  // 30 units to write each
  };
  for (const auto& c : cases) {
    Configured re(c.pattern);
    if (c.compiles) {
      EXPECT_TRUE(re.Test(u"a")) << escape(c.pattern.substr(0, 24));
    } else {
      EXPECT_THROW(re.Test(u"a"), Failure) << escape(c.pattern.substr(0, 24));
    }
  }
}

// ---- patterns as large as a cell -----------------------------------------------------------

// `open` and `close` around "a", `depth` times.
std::u16string nested(std::u16string_view open, std::u16string_view close, int depth) {
  std::u16string pattern;
  for (int i = 0; i < depth; ++i) pattern += open;
  pattern += u'a';
  for (int i = 0; i < depth; ++i) pattern += close;
  return pattern;
}

// An alternation of `count` distinct names of six letters ("Aaaane|Baaane|..."), none the start
// of another.
std::u16string alternation_of_names(std::size_t count) {
  std::u16string pattern;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) pattern += u'|';
    pattern +=
        {char16_t(u'A' + i % 26), char16_t(u'a' + i / 26 % 26), char16_t(u'a' + i / 676 % 26)};
    pattern += u"ane";
  }
  return pattern;
}

struct CellPatternCase {
  const char* what;
  std::u16string pattern;
  std::u16string text;
  std::string expected;
};

// Each was refused once, answered as not found: by the nesting limit, or by PCRE2's compiled
// size limit of 64 K units at link size 2.
TEST(RegExpLargePatterns, PatternsThatFitACellCompile) {
  const std::u16string many_names = alternation_of_names(4400);
  const std::u16string last_name = many_names.substr(many_names.rfind(u'|') + 1);
  const CellPatternCase cases[] = {
      {"251 nested groups", nested(u"(", u")", 251), u"xa", "1+1"},
      {"an alternation of 4,400 names", many_names, u"Call " + last_name,
       "5+" + std::to_string(last_name.size())},
      {"2,800 of krSEARCH's ? (any unit)", std::u16string(2800, u'.'), std::u16string(2800, u'B'),
       "0+2800"},
  };
  for (const CellPatternCase& c : cases) {
    ASSERT_LE(c.pattern.size(), kLongestCell) << c.what;
    EXPECT_EQ(spans_of(Configured(c.pattern).Execute(c.text)), c.expected) << c.what;
  }
}

// A Windows caller's thread may have a 1 MiB stack, of which the host keeps about half. The
// sanitizers' frames are many times larger (16 MiB was not enough once the translator
// collected leading units).
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kCallersStack = 64 * 1024 * 1024;
#else
constexpr std::size_t kCallersStack = 512 * 1024;
#endif

// What `re` finds in "xa", or "failure", on a thread with `stack_size` bytes of stack.
std::string first_match_on_stack(const std::u16string& pattern, std::size_t stack_size) {
  struct Call {
    const std::u16string& pattern;
    std::string outcome;
  } call{pattern, {}};
  const auto run = [](void* data) -> void* {
    Call& c = *static_cast<Call*>(data);
    try {
      c.outcome = spans_of(Configured(c.pattern).Execute(u"xa"));
    } catch (const Failure&) {
      c.outcome = "failure";
    }
    return nullptr;
  };
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, stack_size);
  pthread_t thread;
  if (pthread_create(&thread, &attributes, run, &call) != 0) return "no thread";
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  return call.outcome;
}

struct NestingCase {
  const char* what;
  std::u16string_view open;
  std::u16string_view close;
  int depth;
  const char* expected;
};

// The shapes that take the most stack in the parser, the translator and PCRE2's compiler, as
// deep as they are taken, then one level deeper.
TEST(RegExpLargePatterns, DeepestNestingRunsOnACallersStack) {
  constexpr int deepest = regexp_internal::kMaxGroupNesting;
  // The translator writes two PCRE2 groups for each of these, and PCRE2's limit comes first.
  constexpr int deepest_doubled = regexp_internal::kMaxEngineGroupNesting / 2;
  const NestingCase cases[] = {
      {"capturing groups", u"(", u")", deepest, "1+1"},
      {"alternatives", u"(b|", u")", deepest, "1+1"},
      {"lookbehinds", u"(?<=", u")", deepest, "2+0"},
      {"lazy repeated groups", u"(", u")*?", deepest, "0+0"},
      {"repeated lookaheads", u"(?=", u")*", deepest_doubled, "0+0"},
      {"alternatives in repeated groups", u"(?:b|", u")*", deepest_doubled, "0+0"},
      {"capturing groups, too deep", u"(", u")", deepest + 1, "failure"},
      {"repeated lookaheads, too deep for PCRE2", u"(?=", u")*", deepest_doubled + 1, "failure"},
  };
  for (const NestingCase& c : cases) {
    EXPECT_EQ(first_match_on_stack(nested(c.open, c.close, c.depth), kCallersStack), c.expected)
        << c.what;
  }
}

// ---- the budget ------------------------------------------------------------------------------

struct LongCase {
  const char16_t* pattern;
  bool ignore_case;
  std::u16string text;
};

// Each of these would run for seconds to years; each call ends with a Failure instead.
TEST(RegExpBudget, RunawayPatternsFailOnLongestCells) {
  const LongCase cases[] = {
      {u"(a|b)*c", false, cell(u"ab", u"\nc")},
      {u"(a+)+b", false, cell(u"a", u"\nb")},
      {u"(|a)*b", false, cell(u"a", u"\nb")},
      {u"^(a+)+$", false, cell(u"a", u"!")},
      {u"(.*)\\1x", false, cell(u"a", u"\nx")},
      {u"(?:(a)|b|\\1)*c", true, cell(u"ab", u"\nc")},  // on the interpreter
      // Every look-ahead scans the rest of the cell; the way back from each costs nothing, but
      // every scan is paid.
      {u"a(?=.*?!)(?=.*?!)(?=.*?!)(?=.*?!)#", false, cell(u"a", u"!#")},
      {u"(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)"
       u"(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)b",
       false, cell(u"a", u"\nb")},
  };
  for (const auto& c : cases) {
    Configured re(c.pattern, true, c.ignore_case);
    EXPECT_THROW(re.Test(c.text), Failure) << escape(c.pattern);
  }
}

// Patterns with more budget sites than callout numbers still count every step.
TEST(RegExpBudget, ManySitesShareOneCalloutNumber) {
  std::u16string exponential;
  for (int i = 0; i < 300; ++i) exponential += u"a?";
  const regexp_internal::CompiledPattern sites(exponential + u"b", false);
  EXPECT_GE(sites.budget_site_count(), 300u);
  EXPECT_EQ(spans_of(Configured(exponential + u"b").Execute(u"aab")), "0+3");
  // A site beyond number 254 that fails a pass of (x*)* which matched nothing, as ECMAScript does
  // (else group 1 would end up empty).
  Configured late_check(exponential + u"(x*)*y" + exponential);
  EXPECT_EQ(late_check.Replace(u"xxy", u"[$1]"), u"[xx]");
  // (a?){n}a{n} on a^n: the textbook exponential search.
  for (int i = 0; i < 300; ++i) exponential += u"a";
  EXPECT_THROW(Configured(exponential).Test(std::u16string(300, u'a')), Failure);
}

// Beyond kMaxKeptMatches matches are counted (krCOUNTINCELL shows it) but not kept.
TEST(RegExpBudget, NoMoreMatchesKeptThanTheLimit) {
  const std::u16string beyond(regexp_internal::kMaxKeptMatches + 1, u'a');
  Configured every(u"a", true);
  try {
    every.Execute(beyond);
    ADD_FAILURE() << "kept more than kMaxKeptMatches";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.kind(), FailureKind::out_of_budget);
  }
}

// A replacement's result is refused before it is built past kMaxResultLength units, wherever the
// excess comes from: the expansions, or the text after the last match.
TEST(RegExpBudget, ReplacementResultsAreCapped) {
  struct ResultCase {
    std::u16string text;
    const char16_t* pattern;
    std::u16string replacement;
    bool fits;
  };
  const std::u16string tail_at_cap = u"a" + std::u16string(kMaxResultLength, u'b');
  const ResultCase cases[] = {
      {std::u16string(4096, u'a'), u"a", std::u16string(4096, u'b'), true},
      {std::u16string(4096, u'a'), u"a", std::u16string(4097, u'b'), false},
      {cell(u"a"), u"a", u"$`", false},
      {cell(u"a"), u"a", u"$'", false},
      {tail_at_cap, u"a", u"", true},
      {tail_at_cap, u"a", u"x", false},
  };
  for (const auto& c : cases) {
    Configured re(c.pattern, true);
    try {
      EXPECT_EQ(re.Replace(c.text, c.replacement).size(), kMaxResultLength) << escape(c.pattern);
      EXPECT_TRUE(c.fits) << escape(c.replacement.substr(0, 8));
    } catch (const Failure& failure) {
      EXPECT_FALSE(c.fits) << escape(c.replacement.substr(0, 8));
      EXPECT_EQ(failure.kind(), FailureKind::out_of_budget);
    }
  }
}

TEST(RegExpBudget, LongLegitimateMatchesSucceed) {
  struct Expected {
    LongCase c;
    const char* matches;
  };
  const std::u16string lazy_gap = u"a" + std::u16string(30000, u'x') + u"b";
  const Expected cases[] = {
      {{u"a.*?b", false, lazy_gap}, "0+30002"},
      {{u"[0-9]+", false, cell(u"7")}, "0+32767"},
      {{u".*", false, cell(u"x")}, "0+32767 32767+0"},
      {{u"^.*$", false, cell(u"x")}, "0+32767"},
      {{u"(a|b)*c", false, cell(u"ab", u"c")}, "0+32767"},
      {{u"(?:ab)*", false, cell(u"ab", u"a")}, "0+32766 32766+0 32767+0"},
      {{u"(?:\\w+\\s?)+$", false, cell(u"word ", u"end")}, "0+32767"},
      {{u"[\\s\\S]*?end", false, cell(u"x", u"end")}, "0+32767"},
      {{u"(.)\\1*", false, cell(u"a")}, "0+32767"},
      {{u"(a)\\1*", true, cell(u"aA")}, "0+32767"},
      {{u"(?:(?!x).)*", false, cell(u"a")}, "0+32767 32767+0"},
      // Quadratic: from every position, each look-ahead scans the rest of the cell.
      {{u"(?=.*x)(?=.*y).", false, cell(u"a", u"y")}, "none"},
  };
  for (const auto& e : cases) {
    Configured re(e.c.pattern, true, e.c.ignore_case);
    ASSERT_NO_THROW(EXPECT_EQ(spans_of(re.Execute(e.c.text)), e.matches)) << escape(e.c.pattern);
  }
  Configured words(u"\\w+", true);
  EXPECT_EQ(words.Execute(cell(u"word ")).Count(), 6554u);
  Configured pairs(u"(a)\\1", true, true);
  EXPECT_EQ(pairs.Replace(cell(u"aA"), u"$1"), cell(u"a").substr(0, 16384));
}

// Past about 145,000 units, (a|b)*c needs more than the 8 MiB JIT stack: the search goes on on
// the interpreter instead of failing.
TEST(RegExpBudget, JitStackOverflowFallsBackToTheInterpreter) {
  std::u16string text;
  for (int i = 0; i < 85000; ++i) text += u"ab";
  text += u"c";
  Configured re(u"(a|b)*c");
  EXPECT_EQ(spans_of(re.Execute(text)), "0+" + std::to_string(text.size()));
}

struct ChargeCase {
  std::uint32_t static_steps;
  std::size_t position;
  std::size_t compared;
  std::uint64_t expected_charge;
};

// Passes of one attempt, in order: (static steps + compared length) x the step weight + the
// distance moved since the last pass (from the attempt's start) x scan cost x the move weight.
TEST(RegExpBudget, StepCounterChargesWorkSinceTheLastSite) {
  regexp_internal::BudgetSites sites;
  regexp_internal::StepBudget budget(1000);
  regexp_internal::StepCounter counter(sites, /*scan_cost=*/2, budget);
  counter.set_weights({/*step=*/3, /*unit_moved=*/5});
  const ChargeCase passes[] = {
      {8, 15, 0, 3 * 8 + 5 * 5 * 2},  // the attempt started at 10
      {8, 12, 0, 3 * 8 + 3 * 5 * 2},  // moved back: backtracking
      {1, 12, 7, 3 * (1 + 7)},        // a back-reference comparing 7 units
  };
  std::uint64_t remaining = 1000;
  for (const auto& p : passes) {
    regexp_internal::BudgetSite site;
    site.static_steps = p.static_steps;
    ASSERT_TRUE(counter.pass(site, 10, p.position, p.compared));
    remaining -= p.expected_charge;
    EXPECT_EQ(budget.remaining(), remaining);
  }
  regexp_internal::BudgetSite site;
  EXPECT_FALSE(counter.pass(site, 10, 500, 0));  // more than what is left: nothing is spent
  EXPECT_EQ(budget.remaining(), remaining);
}

// Sites cost time, so patterns that cannot backtrack get none.
TEST(RegExpBudget, PatternsWithoutBacktrackingHaveNoSites) {
  struct SiteCase {
    const char16_t* pattern;
    bool has_sites;
  };
  const SiteCase cases[] = {
      {u"abc", false},    {u"cat|dog", false},       {u"\\d+", false},     {u"[a-z]+@x", false},
      {u"^\\w+$", false}, {u"(\\w+)-(\\w+)", false}, {u"x\\s*\\d+", true}, {u"a.*?b", true},
      {u"(a|b)*c", true}, {u"(a)\\1", true},         {u"a|ab", true},      {u"(\\w+)-\\1", true},
      {u"ab|ac", false},
  };
  for (const auto& c : cases) {
    const regexp_internal::CompiledPattern pattern(c.pattern, false);
    EXPECT_EQ(pattern.budget_site_count() > 0, c.has_sites) << escape(c.pattern);
  }
}

// ---- the cache -----------------------------------------------------------------------------

// A pattern is compiled once for each case setting (the cache is per thread; the command line's
// fill runs calls on several threads against one thread's answers).
TEST(RegExpCache, OneCompiledPatternForEachCaseSetting) {
  EXPECT_EQ(regexp_internal::compiled_pattern_for(u"a+", false),
            regexp_internal::compiled_pattern_for(u"a+", false));
  EXPECT_NE(regexp_internal::compiled_pattern_for(u"a+", false),
            regexp_internal::compiled_pattern_for(u"a+", true));
}

// ---- the conformance table -------------------------------------------------------------------

std::string data_directory() {
  if (const char* dir = std::getenv("KESTRUNE_TEST_DATA")) return dir;
  const std::string source = __FILE__;
  return source.substr(0, source.find_last_of('/')) + "/data";
}

TEST(RegExpConformance, AgreesWithNodeOnEveryCaseButTheKnownDifferences) {
  const auto cases = regexp_cases::read_case_file(data_directory() + "/regexp_conformance.tsv");
  ASSERT_GE(cases.size(), 300u);
  std::size_t known_differences = 0;
  for (const auto& c : cases) {
    const regexp_cases::Outcome mine = regexp_cases::run_case(c);
    EXPECT_EQ(mine.matches, c.engine.matches)
        << "line " << c.line << " (" << c.category << "): /" << escape(c.pattern) << "/ on \""
        << escape(c.subject) << "\"";
    EXPECT_EQ(escape(mine.replaced), escape(c.engine.replaced))
        << "line " << c.line << " (" << c.category << "): /" << escape(c.pattern) << "/ on \""
        << escape(c.subject) << "\" with \"" << escape(c.replacement) << "\"";
    if (c.known_difference()) {
      ++known_differences;
      // Kept only while this engine really differs from Node there.
      EXPECT_FALSE(mine.matches == c.node.matches && mine.replaced == c.node.replaced)
          << "line " << c.line << " is no longer a difference";
    }
  }
  EXPECT_GT(known_differences, 0u);
}

}  // namespace
}  // namespace kestrune
