// Runaway patterns on 32,767-unit texts: every call must end (with a match, no match, or a
// budget failure) in bounded time. Each row times one whole krSEARCH call; the README records
// the worst.
#include <benchmark/benchmark.h>

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
};

void krSEARCH_runaway(benchmark::State& state, Runaway r) {
  clsKestrune object;
  for (auto _ : state) {
    Variant subject = Variant::text(r.subject), find = Variant::text(r.find);
    Variant code = Variant::number(r.code);
    Variant m1 = Variant::missing(), m2 = Variant::missing(), m3 = Variant::missing();
    Variant m4 = Variant::missing(), m5 = Variant::missing(), m6 = Variant::missing();
    Variant m7 = Variant::missing();
    benchmark::DoNotOptimize(object.krSEARCH(subject, find, m1, code, m2, m3, m4, m5, m6, m7));
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

#define SEARCH_RUNAWAY(name, find, subject, code)                         \
  BENCHMARK_CAPTURE(krSEARCH_runaway, name, Runaway{find, subject, code}) \
      ->Unit(benchmark::kMillisecond)                                     \
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
REGEXP_RUNAWAY(anchored_nested, u"^(a+)+$", repeat_to_length(u"a", u"!"));
REGEXP_RUNAWAY(lookahead_in_loop, u"(?:(?=(a+)+b)a)*", kAs);
REGEXP_RUNAWAY(backreference_loop, u"(a*)\\1*b", kAs);
REGEXP_RUNAWAY(empty_alternation_star, u"(|a)*b", kAs);
REGEXP_RUNAWAY(nested_counted, u"((a{1,3}){1,3}){1,100}b", kAs);
REGEXP_RUNAWAY(email_like,
               u"^([a-zA-Z0-9])(([\\-.]|[_]+)?([a-zA-Z0-9]+))*(@){1}[a-z0-9]+[.]{1}(([a-z]{2,3})|(["
               u"a-z]{2,3}[.]{1}[a-z]{2,3}))$",
               repeat_to_length(u"a", u"@"));

}  // namespace
}  // namespace kestrune::bench

BENCHMARK_MAIN();
