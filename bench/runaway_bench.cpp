// Runaway patterns on 32,767-unit texts: every call must end (with a match, no match, or a
// budget failure) in bounded time. Each row times one whole krSEARCH call; the README records
// the worst.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "automation/cls_kestrune.hpp"
#include "base/failure.hpp"
#include "regexp/regexp.hpp"

namespace kestrune::bench {
namespace {

constexpr std::size_t kLongestCell = 32767;

std::u16string repeat_to_length(std::u16string_view unit, std::u16string_view tail) {
  std::u16string text;
  while (text.size() + unit.size() + tail.size() <= kLongestCell) text += unit;
  text += tail;
  text.resize(std::min(text.size(), kLongestCell), u'a');
  return text;
}

struct Runaway {
  const char16_t* find;  // in the search syntax: regular-expression constructs pass through
  std::u16string subject;
  double code;
  const char16_t* before = u"";      // find_before_text
  const char16_t* not_before = u"";  // find_not_before_text
};

void krSEARCH_runaway(benchmark::State& state, Runaway r) {
  clsKestrune object;
  for (auto _ : state) {
    Variant subject = Variant::text(r.subject), find = Variant::text(r.find);
    Variant code = Variant::number(r.code);
    Variant before = Variant::text(r.before), not_before = Variant::text(r.not_before);
    Variant m1 = Variant::missing(), m4 = Variant::missing(), m5 = Variant::missing();
    Variant m6 = Variant::missing(), m7 = Variant::missing();
    benchmark::DoNotOptimize(
        object.krSEARCH(subject, find, m1, code, before, not_before, m4, m5, m6, m7));
  }
}

// The whole service call as krREGEX makes it: Test, then every match.
void regexp_runaway(benchmark::State& state, std::u16string pattern, std::u16string subject) {
  for (auto _ : state) {
    RegExp re;
    re.Pattern = pattern;
    re.Global = true;
    try {
      if (re.Test(subject)) benchmark::DoNotOptimize(re.Execute(subject).Count());
    } catch (const Failure&) {
      // the budget ran out: the answer the members give is not_found_return
    }
  }
}

// A pattern not seen before, translated and compiled (a serial number in front of it defeats
// the cache), then tried on a short text: each must end in bounded time however long or
// hostile the pattern, with its matches or with a failure.
void regexp_compile(benchmark::State& state, std::u16string pattern, bool ignore_case) {
  int serial = 0;
  for (auto _ : state) {
    RegExp re;
    re.IgnoreCase = ignore_case;
    for (char c : std::to_string(++serial)) re.Pattern += char16_t(c);
    re.Pattern += pattern;
    try {
      benchmark::DoNotOptimize(re.Test(u"a"));
    } catch (const Failure&) {
      // too large for the engine: the members answer not_found_return
    }
  }
}

// `count` alternatives "w00000|w00001|...".
std::u16string numbered_alternatives(int count) {
  std::u16string alternatives;
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%sw%05d", i ? "|" : "", i);
    for (const char* c = name; *c; ++c) alternatives += char16_t(*c);
  }
  return alternatives;
}

// `count` units, no two adjacent, each optional: every one may be followed by any later one.
std::u16string optional_units(int count) {
  std::u16string pattern;
  for (int i = 0; i < count; ++i) pattern += {char16_t(0x4E00 + 2 * i), u'?'};
  return pattern;
}

#define SEARCH_RUNAWAY(name, find, subject, code, ...)                                   \
  BENCHMARK_CAPTURE(krSEARCH_runaway, name, Runaway{find, subject, code, ##__VA_ARGS__}) \
      ->Unit(benchmark::kMillisecond)                                                    \
      ->Iterations(3)
#define REGEXP_RUNAWAY(name, pattern, subject)              \
  BENCHMARK_CAPTURE(regexp_runaway, name, pattern, subject) \
      ->Unit(benchmark::kMillisecond)                       \
      ->Iterations(3)

const std::u16string kAs = repeat_to_length(u"a", u"");

SEARCH_RUNAWAY(lazy_no_end, u"a*b", repeat_to_length(u"a", u"\n"), 1);
SEARCH_RUNAWAY(alternation_loop, u"(a|b){0,}c", repeat_to_length(u"ab", u"\nc"), 1);
SEARCH_RUNAWAY(nested_repeats, u"(a{1,}){1,}b", kAs, 1);
SEARCH_RUNAWAY(overlapping_alternatives, u"(a|aa){0,}b", kAs, 1);
SEARCH_RUNAWAY(three_wildcards, u"x*y*z*w", repeat_to_length(u"xyz", u""), 1);
SEARCH_RUNAWAY(count_lazy_pairs, u"a*a", kAs, 9);
SEARCH_RUNAWAY(backreference_scan, u"(.{0,})\\1x", kAs, 1);
SEARCH_RUNAWAY(words_then_mark, u"(\\w{1,} {0,1}){1,}!", repeat_to_length(u"word ", u""), 1);
SEARCH_RUNAWAY(long_legit_lazy, u"a*b", u"a" + std::u16string(kLongestCell - 2, u'x') + u"b", 3);
// Legitimate, and quadratic: from every "a", two look-aheads scan the rest of the cell.
SEARCH_RUNAWAY(contexts_scanning_the_cell, u"a", repeat_to_length(u"a", u"!"), 9, u"*!", u"*#");
REGEXP_RUNAWAY(anchored_nested, u"^(a+)+$", repeat_to_length(u"a", u"!"));
REGEXP_RUNAWAY(lookahead_in_loop, u"(?:(?=(a+)+b)a)*", kAs);
REGEXP_RUNAWAY(backreference_loop, u"(a*)\\1*b", kAs);
REGEXP_RUNAWAY(empty_alternation_star, u"(|a)*b", kAs);
REGEXP_RUNAWAY(nested_counted, u"((a{1,3}){1,3}){1,100}b", kAs);
REGEXP_RUNAWAY(lookaheads_scanning_the_cell, u"a(?=.*?!)(?=.*?!)(?=.*?!)(?=.*?!)#",
               repeat_to_length(u"a", u"!#"));
REGEXP_RUNAWAY(email_like,
               u"^([a-zA-Z0-9])(([\\-.]|[_]+)?([a-zA-Z0-9]+))*(@){1}[a-z0-9]+[.]{1}(([a-z]{2,3})|(["
               u"a-z]{2,3}[.]{1}[a-z]{2,3}))$",
               repeat_to_length(u"a", u"@"));

#define REGEXP_COMPILE(name, pattern, ignore_case)              \
  BENCHMARK_CAPTURE(regexp_compile, name, pattern, ignore_case) \
      ->Unit(benchmark::kMillisecond)                           \
      ->Iterations(3)

REGEXP_COMPILE(alternatives_of_a_cell, numbered_alternatives(4681), false);
REGEXP_COMPILE(alternatives_at_the_size_limit, numbered_alternatives(42129), false);
REGEXP_COMPILE(optional_units_of_a_cell, optional_units(16383), false);
REGEXP_COMPILE(non_word_sets_of_a_cell_ignoring_case, repeat_to_length(u"\\W", u""), true);
REGEXP_COMPILE(copies_of_copies, u"(?:(?:ab){1000}){1000}", false);

}  // namespace
}  // namespace kestrune::bench

BENCHMARK_MAIN();
