// Measures the regular-expression service where its budget matters: runaway patterns and long
// legitimate matches on 32,767-unit texts (outcome, time, steps charged), and the cost of a
// cached call on a short text, with and without the budget's callouts.
//
//   build/release/tools/regexp_timing            # everything
//   build/release/tools/regexp_timing runaway    # only the 32,767-unit table
//   build/release/tools/regexp_timing calls      # only the short-text calls
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "base/failure.hpp"
#include "regexp/compiled_pattern.hpp"
#include "regexp/match_loop.hpp"
#include "regexp/pcre2_16.hpp"
#include "regexp/regexp.hpp"
#include "regexp/translator.hpp"

namespace {

using namespace kestrune;

constexpr std::size_t kLongestCell = 32767;

std::u16string ascii(const char* s) {
  std::u16string out;
  while (*s) out += char16_t(static_cast<unsigned char>(*s++));
  return out;
}

// `unit` repeated, then `tail`, exactly kLongestCell units in all.
std::u16string cell(const char* unit, const char* tail = "") {
  const std::u16string u = ascii(unit), t = ascii(tail);
  std::u16string text;
  while (text.size() + t.size() < kLongestCell) text += u;
  text.resize(kLongestCell - t.size());
  return text + t;
}

// Processor time, so that other work on the machine does not count.
double seconds_since(std::clock_t start) { return double(std::clock() - start) / CLOCKS_PER_SEC; }

struct LongCase {
  const char* pattern;
  bool ignore_case;
  std::u16string text;
};

// Test then Execute (Global), as the worksheet functions call them.
void run_long_case(const LongCase& c, double& worst) {
  RegExp re;
  re.Pattern = ascii(c.pattern);
  re.IgnoreCase = c.ignore_case;
  re.Global = true;
  std::string outcome;
  const std::clock_t start = std::clock();
  try {
    const bool found = re.Test(c.text);
    outcome = found ? std::to_string(re.Execute(c.text).Count()) + " matches" : "no match";
  } catch (const Failure& f) {
    outcome = "Failure";
  }
  const double elapsed = seconds_since(start);
  worst = std::max(worst, elapsed);

  // The steps the same search charges, and the time per step.
  std::string steps;
  try {
    const regexp_internal::CompiledPattern pattern(re.Pattern, c.ignore_case);
    regexp_internal::MatchList list;
    regexp_internal::StepBudget budget;
    const std::clock_t search_start = std::clock();
    bool exhausted = false;
    try {
      regexp_internal::collect_matches(pattern, c.text, 0, budget, list);
    } catch (const Failure&) {
      exhausted = true;
    }
    const double t = seconds_since(search_start);
    const std::uint64_t used =
        (regexp_internal::kStepsPerCall * regexp_internal::kHalfStepsPerStep - budget.remaining()) /
        regexp_internal::kHalfStepsPerStep;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s%llu steps, %.1f ns/step%s", exhausted ? ">" : "",
                  static_cast<unsigned long long>(used), used ? t * 1e9 / double(used) : 0.0,
                  pattern.uses_jit() ? "" : ", interpreter");
    steps = buffer;
  } catch (const Failure& f) {
    steps = f.what();
  }
  const std::string shown = std::string(c.pattern).substr(0, 48);
  std::printf("%-48s %-2s %-12s %8.1f ms   %s\n", shown.c_str(), c.ignore_case ? "i" : "",
              outcome.c_str(), elapsed * 1e3, steps.c_str());
}

void runaway_table() {
  // Each text ends in units that the pattern requires, so that PCRE2 cannot rule out a match
  // before trying, and with a line break that makes every attempt fail late.
  std::string many_groups;
  for (int i = 0; i < 200; ++i) many_groups += "(x)?";
  const std::string many_groups_loop = many_groups + "(?:a|aa)*c";
  const std::string many_groups_loop_i = many_groups + "(?:a|aa)*c\\1";
  std::string long_literal = "(?:a|a)*";
  for (int i = 0; i < 2000; ++i) long_literal += "a";
  long_literal += "b";
  std::string wide_class = "(?:[";
  for (char16_t c = 0x100; c < 0x300; c += 2) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\u%04x", unsigned(c));
    wide_class += hex;
  }
  wide_class += "a]|a)*b";
  const std::vector<LongCase> runaway = {
      {"a.*?b", false, cell("a", "\nb")},
      {"(a|b)*c", false, cell("ab", "\nc")},
      {"(a+)+b", false, cell("a", "\nb")},
      {"(a|aa)*b", false, cell("a", "\nb")},
      {"(a|a)*b", false, cell("a", "\nb")},
      {"x*y*z*w", false, cell("xyz", "\nw")},
      {"a*a*a*a*a*b", false, cell("a", "\nb")},
      {"(.*)\\1x", false, cell("a", "\nx")},
      {"(.*)\\1x", true, cell("a", "\nx")},
      {"(.*)(.*)\\2\\1x", true, cell("a", "\nx")},
      {"(\\w+ ?)+!", false, cell("word ", "\n!")},
      {"^(a+)+$", false, cell("a", "!")},
      {"(?:(?=(a+)+b)a)*", false, cell("a", "\nb")},
      {"(a*)\\1*b", false, cell("a", "\nb")},
      {"(a*)\\1*b", true, cell("a", "\nb")},
      {"(|a)*b", false, cell("a", "\nb")},
      {"((a{1,3}){1,3}){1,100}b", false, cell("a", "\nb")},
      {"^([a-zA-Z0-9])(([\\-.]|[_]+)?([a-zA-Z0-9]+))*(@){1}[a-z0-9]+[.]{1}(([a-z]{2,3})|([a-z]{2,"
       "3}[.]{1}[a-z]{2,3}))$",
       false, cell("a", "@")},
      {"(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|"
       "a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)b",
       false, cell("a", "\nb")},
      {".*.*.*=.*", false, cell("x", "\n=")},
      {"(\\d+)*x", false, cell("1", "\nx")},
      {"(?:x+x+)+y", false, cell("x", "\ny")},
      {"(a?){30}a{30}b", false, cell("a", "\nb")},
      {"(?=.*x)(?=.*y).", false, cell("a", "y")},
      {"\\w+@\\w+x", false, cell("a", "@a")},
      {"\\d+x", false, cell("1", "\nx")},
      {"(?:a{1000}|b)*c", false, cell("a", "\nc")},
      {"(\\w)(\\w)?(\\w)?\\3\\2\\1x", true, cell("a", "\nx")},
      {"(?:(a)|b|\\1)*c", true, cell("ab", "\nc")},
      {"(?!a{30000})a*b", false, cell("a", "\nb")},
      {"(?<=a{100})(?:a|a)*b", false, cell("a", "\nb")},
      {many_groups_loop.c_str(), false, cell("a", "\nc")},
      {many_groups_loop_i.c_str(), true, cell("a", "\nc")},
      {long_literal.c_str(), false, cell("a", "\nb")},
      {wide_class.c_str(), true, cell("a", "\nb")},
      {"(?:a|a)*(?:\\b|\\B)(?:\\b|\\B)(?:\\b|\\B)(?:\\b|\\B)b", false, cell("a", "\nb")},
      {"(a*)*(\\1)*b", false, cell("a", "\nb")},
      {"(?:(a)\\1?)*b", true, cell("a", "\nb")},
      {"(?:a|a)*(?:\\b|\\B)(?:\\b|\\B)b(x)?\\1", true, cell("a", "\nb")},
      {"(a|b)*c(x)?\\2", true, cell("ab", "\nc")},
      {"(?:(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a)(a|a))*b\\1", true, cell("a", "\nb")},
      // Look-aheads that scan the rest of the text in every pass: the work is mostly units run
      // over, a cubic amount of them.
      {"(?:a(?=.*?!))*b", false, cell("a", "!b")},
      {"(?:\\w(?=\\w*!))*b", false, cell("a", "!b")},
      {"a(?=.*?!)(?=.*?!)(?=.*?!)(?=.*?!)(?=.*?!)(?=.*?!)(?=.*?!)(?=.*?!)", false, cell("a", "!")},
  };
  const std::vector<LongCase> legit = {
      {"a.*?b", false, u"a" + std::u16string(30000, u'x') + u"b"},
      {"[0-9]+", false, cell("7")},
      {".*", false, cell("x")},
      {"^.*$", false, cell("x")},
      {"(a|b)*c", false, cell("ab", "c")},
      {"(?:\\w+\\s?)+", false, cell("word ")},
      {"\\w+", false, cell("word ")},
      {"(\\w)\\1", false, cell("aab")},
      {"(a)\\1", true, cell("aA")},
      {"\\b\\w+@\\w+\\.com\\b", false, cell("mail ", "me@example.com")},
      {"(?:ab)*", false, cell("ab")},
      {"[\\s\\S]*?end", false, cell("x", "end")},
      {"(.)\\1*", false, cell("a")},
      {"(?:(?!x).)*", false, cell("a")},
      // Quadratic: from every position, a look-ahead scans the rest of the cell (krSEARCH with
      // the context "*!", or "*!" and "*#"), which Node takes a quarter to three quarters of a
      // second for.
      {"a(?=[^!]*!)", false, cell("a", "!")},
      {"a(?=.*?!)", false, cell("a", "!")},
      {"a(?!.*?!)", false, cell("a", "!")},
      {"a(?=.*?!)(?!.*?#)", false, cell("a", "!")},
  };
  double worst_runaway = 0, worst_legit = 0;
  std::printf("Runaway patterns on 32,767 units (steps per call: %llu)\n",
              static_cast<unsigned long long>(regexp_internal::kStepsPerCall));
  for (const LongCase& c : runaway) run_long_case(c, worst_runaway);
  std::printf("\nLegitimate long matches on 32,767 units\n");
  for (const LongCase& c : legit) run_long_case(c, worst_legit);
  std::printf("\nworst runaway call %.0f ms; worst legitimate call %.0f ms\n", worst_runaway * 1e3,
              worst_legit * 1e3);
}

// ---- short calls ---------------------------------------------------------------------------

template <class Body>
double nanoseconds_per_call(Body body) {
  constexpr int kCalls = 200000;
  for (int i = 0; i < 1000; ++i) body();
  const std::clock_t start = std::clock();
  for (int i = 0; i < kCalls; ++i) body();
  return double(std::clock() - start) / CLOCKS_PER_SEC * 1e9 / kCalls;
}

// The end of the PCRE2 item that starts at `i`: a group, a class or an escaped unit.
std::size_t end_of_item(const std::u16string& s, std::size_t i) {
  int depth = 0;
  for (; i < s.size(); ++i) {
    if (s[i] == u'\\') {
      ++i;
      if (i < s.size() && s[i] == u'x') i = s.find(u'}', i);
    } else if (s[i] == u'[') {
      for (++i; s[i] != u']'; ++i) {
        if (s[i] == u'\\' && s[i + 1] == u'x') i = s.find(u'}', i);
      }
    } else if (s[i] == u'(') {
      ++depth;
    } else if (s[i] == u')' && --depth == 0) {
      return i + 1;
    }
    if (depth == 0) return i + 1;
  }
  return s.size();
}

// The translation without what the budget adds: the callouts and the look-aheads that only
// spare them.
std::u16string without_budget(const std::u16string& source) {
  std::u16string bare;
  for (std::size_t i = 0; i < source.size();) {
    if (source.compare(i, 3, u"(?C") == 0) {
      i = source.find(u')', i) + 1;
      continue;
    }
    if (source.compare(i, 3, u"(?!") == 0) {
      const std::size_t end = end_of_item(source, i);
      if (source.compare(end, 3, u"(?C") == 0) {
        i = end;
        continue;
      }
    }
    const std::size_t end = source[i] == u'(' ? i + 1 : end_of_item(source, i);
    bare.append(source, i, end - i);
    i = end;
  }
  return bare;
}

// The same translated pattern matched by PCRE2 directly, with what the budget adds to it
// and without.
void callout_cost(const char* pattern_text, const std::u16string& subject) {
  using namespace regexp_internal;
  const Translation t = translate_pattern(ascii(pattern_text), false);
  const std::u16string bare = without_budget(t.pcre_source);
  auto compile = [](const std::u16string& source) {
    int error;
    PCRE2_SIZE offset;
    pcre2_code* code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(),
                      PCRE2_NEVER_UTF | PCRE2_MATCH_UNSET_BACKREF, &error, &offset, nullptr);
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    return code;
  };
  pcre2_code* with = compile(t.pcre_source);
  pcre2_code* without = compile(bare);
  pcre2_match_data* data = pcre2_match_data_create(16, nullptr);
  pcre2_match_context* context = pcre2_match_context_create(nullptr);
  StepBudget budget(UINT64_MAX);
  StepCounter counter(t.sites, t.scan_cost, budget);
  pcre2_set_callout(
      context,
      [](pcre2_callout_block* b, void* c) {
        auto& counter = *static_cast<StepCounter*>(c);
        return counter.pass(counter.sites().find(b->callout_number, b->pattern_position),
                            b->start_match, b->current_position, 0)
                   ? 0
                   : -1;
      },
      &counter);
  const auto s = reinterpret_cast<PCRE2_SPTR>(subject.data());
  const double t_with =
      nanoseconds_per_call([&] { pcre2_jit_match(with, s, subject.size(), 0, 0, data, context); });
  const double t_without = nanoseconds_per_call(
      [&] { pcre2_jit_match(without, s, subject.size(), 0, 0, data, nullptr); });
  std::printf("  %-22s %2zu sites: %6.0f ns with callouts, %6.0f ns without (%+.0f%%)\n",
              pattern_text, t.sites.size(), t_with, t_without,
              100.0 * (t_with - t_without) / t_without);
  pcre2_match_context_free(context);
  pcre2_match_data_free(data);
  pcre2_code_free(with);
  pcre2_code_free(without);
}

void short_calls() {
  const std::u16string text = u"Order 42-A shipped to Main Street on 2024-05-06, ref XK-7";
  std::printf("Cached calls on a %zu-unit text (a new RegExp per call, as the members make them)\n",
              text.size());
  for (const char* p : {"\\d+", "a.*?b", "(\\w+)-(\\w+)", "[A-Z]{2}-\\d", "(?:ship|main)", ".-"}) {
    const std::u16string pattern = ascii(p);
    const double test = nanoseconds_per_call([&] {
      RegExp re;
      re.Pattern = pattern;
      re.Test(text);
    });
    const double test_execute = nanoseconds_per_call([&] {
      RegExp re;
      re.Pattern = pattern;
      re.Global = true;
      if (re.Test(text)) re.Execute(text);
    });
    std::printf("  %-16s Test %5.0f ns   Test+Execute(global) %5.0f ns\n", p, test, test_execute);
  }
  std::printf(
      "Budget cost: one search, JIT, PCRE2 called directly, with the budget's callouts (and "
      "the look-aheads that spare them) and without\n");
  struct CalloutCase {
    const char* pattern;
    const char16_t* text;
  };
  const CalloutCase callout_cases[] = {
      {"a.*?b", u"Order 42-A shipped to Main Street on 2024-05-06, ref XK-7b"},
      {"\\d+-\\w", u"Order 42-A shipped to Main Street on 2024-05-06, ref XK-7"},
      {"(\\w+)-(\\w+)", u"Order 42-A shipped to Main Street on 2024-05-06, ref XK-7"},
      {"(?:ship|shop)", u"Order 42-A shipped to Main Street on 2024-05-06, ref XK-7"},
      {"x\\s*\\d+", u"Order 42-A shipped to Main Street on x  2024-05-06, ref XK-7"},
      {"(?:ab|ac)+d", u"Order 42-A shipped to Main Street on abacabacabd, ref XK-7"},
      {"<.*?>", u"Order <42-A> shipped to <Main Street> on <2024-05-06>, ref XK-7"},
      {"(\\d+)(?:\\.(\\d+))?", u"Order 42.5 shipped to Main Street on 2024.05, ref 7"},
  };
  for (const CalloutCase& c : callout_cases) callout_cost(c.pattern, c.text);
  // A pattern not seen before on every call: translation, compilation and JIT each time.
  int serial = 0;
  const double uncached = nanoseconds_per_call([&] {
    RegExp re;
    re.Pattern = u"(?:x|y)\\d+";
    for (int n = ++serial; n > 0; n /= 10) re.Pattern += char16_t(u'0' + n % 10);
    re.Test(text);
  });
  std::printf("Uncached Test (translate + compile + JIT + match): %.0f ns\n", uncached);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  if (only.empty() || only == "calls") short_calls();
  if (only.empty() || only == "runaway") runaway_table();
  return 0;
}
