// Every pattern member, one call per cell, beside the two floors that give the same answers:
//   strict: PCRE2 with the pattern compiled and JIT-compiled once and one match data reused
//           (Pcre2Pattern), building the member's answer from its matches;
//   loose:  the same answer, with the pattern compiled for every cell (the README's floor).
// The passes (the host building its argument Variants alone, the member calls, the strict floor
// twice, the loose floor) run interleaved in each iteration, so that the ratios compare times
// taken under the same load. The member's time leaves out the host's building of its arguments
// (made a block at a time before the calls are timed); every answer is checked against both
// floors before anything is timed. The strict floor reads its cells once straight from the
// column, as a floor can, and once from arguments built as the member's are, so that both read
// their text in the same state of the caches and between as many readings of the clock.
//
// Counters, per call: member_ns, arguments_ns, strict_ns, strict_arguments_ns, loose_ns;
// x_strict, x_strict_arguments and x_loose (the member's time over each floor's); allocations
// (the member's heap allocations, its answer's included) and strict_allocations (the floor's,
// for the same answer).
//
//   calls_bench --benchmark_filter=/column/ --benchmark_repetitions=5
//   calls_bench --benchmark_filter='krSEARCH_code1/'   # the length sweep of one call
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "column.hpp"
#include "counting_new.hpp"
#include "pcre2_floor.hpp"

namespace kestrune::bench {
namespace {

using Arguments = std::array<Variant, 10>;

const Variant& value_error() {
  static const Variant answer = Variant::text(u"#VALUE!");
  return answer;
}

Arguments arguments(std::initializer_list<Variant> given) {
  Arguments all;
  all.fill(Variant::missing());
  std::size_t i = 0;
  for (const Variant& v : given) all[i++] = v;
  return all;
}

// One call as a worksheet makes it, and the same answer from PCRE2 alone.
struct Row {
  const char* name;
  const char16_t* floor_pattern;  // in PCRE2's syntax
  Arguments (*make)(const std::u16string& cell);
  Variant (*call)(clsKestrune& object, Arguments& a);
  Variant (*answer)(Pcre2Pattern& pattern, std::u16string_view cell);
  bool formulas = false;  // its cells are text formulas, not the column's
};

// --- the floors' answers -------------------------------------------------------------------

Variant first_position(Pcre2Pattern& p, std::u16string_view cell) {
  return p.find(cell, 0) ? Variant::number(double(p.start() + 1)) : value_error();
}

Variant first_length(Pcre2Pattern& p, std::u16string_view cell) {
  return p.find(cell, 0) ? Variant::number(double(p.end() - p.start())) : value_error();
}

Variant first_text(Pcre2Pattern& p, std::u16string_view cell) {
  if (!p.find(cell, 0)) return value_error();
  return Variant::text(std::u16string(cell.substr(p.start(), p.end() - p.start())));
}

std::size_t count_of(Pcre2Pattern& p, std::u16string_view cell) {
  std::size_t count = 0;
  for (std::size_t at = 0; at <= cell.size() && p.find(cell, at); at = p.next()) ++count;
  return count;
}

Variant count_or_zero(Pcre2Pattern& p, std::u16string_view cell) {
  return Variant::number(double(count_of(p, cell)));
}

Variant count_or_not_found(Pcre2Pattern& p, std::u16string_view cell) {
  const std::size_t count = count_of(p, cell);
  return count ? Variant::number(double(count)) : value_error();
}

Variant all_texts(Pcre2Pattern& p, std::u16string_view cell) {
  std::vector<std::u16string_view> found;
  for (std::size_t at = 0; at <= cell.size() && p.find(cell, at); at = p.next()) {
    found.push_back(cell.substr(p.start(), p.end() - p.start()));
  }
  if (found.empty()) return value_error();
  Array texts = Array::one_dimensional(found.size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    texts.elements()[i] = Variant::text(std::u16string(found[i]));
  }
  return Variant::array(std::move(texts));
}

Variant replaced(Pcre2Pattern& p, std::u16string_view cell, bool all) {
  if (!p.find(cell, 0)) return value_error();
  std::u16string out;
  std::size_t kept = 0;
  do {
    out.append(cell.substr(kept, p.start() - kept)).push_back(u'#');
    kept = p.end();
  } while (all && p.next() <= cell.size() && p.find(cell, p.next()));
  out.append(cell.substr(kept));
  return Variant::text(std::move(out));
}

// The nth of the non-empty pieces between separators; none when there is no separator.
Variant nth_word(Pcre2Pattern& p, std::u16string_view cell, std::size_t n) {
  std::size_t piece = 0, words = 0;
  for (std::size_t at = 0;; at = p.next()) {
    const bool found = at <= cell.size() && p.find(cell, at);
    if (!found && at == 0) return value_error();
    const std::size_t end = found ? p.start() : cell.size();
    if (end > piece && ++words == n)
      return Variant::text(std::u16string(cell.substr(piece, end - piece)));
    if (!found) return value_error();
    piece = p.end();
  }
}

std::optional<double> ascii_number(std::u16string_view text) {
  std::string narrow(text.begin(), text.end());
  char* end = nullptr;
  const double value = std::strtod(narrow.c_str(), &end);
  if (narrow.empty() || end != narrow.c_str() + narrow.size()) return std::nullopt;
  return value;
}

// The operators the formulas use: + * / >= <> ^.
Variant formula_value(Pcre2Pattern& p, std::u16string_view cell) {
  if (cell.starts_with(u'=')) cell.remove_prefix(1);
  if (!p.find(cell, 0)) return value_error();
  const std::optional<double> a = ascii_number(cell.substr(0, p.start()));
  const std::optional<double> b = ascii_number(cell.substr(p.end()));
  if (!a || !b) return value_error();
  const std::u16string_view op = cell.substr(p.start(), p.end() - p.start());
  if (op == u"+") return Variant::number(*a + *b);
  if (op == u"*") return Variant::number(*a * *b);
  if (op == u"/") return Variant::number(*a / *b);
  if (op == u"^") return Variant::number(std::pow(*a, *b));
  if (op == u">=") return Variant::boolean(*a >= *b);
  return Variant::boolean(*a != *b);
}

// --- the members' calls --------------------------------------------------------------------

Variant search(clsKestrune& o, Arguments& a) {
  return o.krSEARCH(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
}
Variant replace(clsKestrune& o, Arguments& a) {
  return o.krREPLACE(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
}
Variant count_in_cell(clsKestrune& o, Arguments& a) { return o.krCOUNTINCELL(a[0], a[1], a[2]); }
Variant regex(clsKestrune& o, Arguments& a) {
  return o.krREGEX(a[0], a[1], a[2], a[3], a[4], a[5]);
}
Variant get_word(clsKestrune& o, Arguments& a) {
  return o.krGETWORD(a[0], a[1], a[2], a[3], a[4], a[5]);
}
Variant concatula(clsKestrune& o, Arguments& a) { return o.krCONCATULA(a[0]); }

Variant text(std::u16string_view t) { return Variant::text(std::u16string(t)); }
const Variant kMissing = Variant::missing();

const Row kRows[] = {
    {"krSEARCH_code1", u"order",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"order"), kMissing, Variant::number(1)});
     },
     search, first_position},
    {"krSEARCH_code3", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"[0-9]{1,}"), kMissing, Variant::number(3)});
     },
     search, first_text},
    {"krREPLACE_first", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments(
           {text(c), text(u"[0-9]{1,}"), text(u"#"), kMissing, Variant::boolean(false)});
     },
     replace, [](Pcre2Pattern& p, std::u16string_view c) { return replaced(p, c, false); }},
    {"krREPLACE_all", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments(
           {text(c), text(u"[0-9]{1,}"), text(u"#"), kMissing, Variant::boolean(true)});
     },
     replace, [](Pcre2Pattern& p, std::u16string_view c) { return replaced(p, c, true); }},
    {"krREPLACE_all_from_right", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"[0-9]{1,}"), text(u"#"), kMissing, Variant::boolean(true),
                         kMissing, kMissing, Variant::boolean(true)});
     },
     replace, [](Pcre2Pattern& p, std::u16string_view c) { return replaced(p, c, true); }},
    {"krCOUNTINCELL", u"o.e",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"o?e")});
     },
     count_in_cell, count_or_zero},
    {"krREGEX_type1", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"[0-9]+"), kMissing, kMissing, Variant::number(1)});
     },
     regex, first_position},
    {"krREGEX_type2", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"[0-9]+"), kMissing, kMissing, Variant::number(2)});
     },
     regex, first_length},
    {"krREGEX_type3", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"[0-9]+"), kMissing, kMissing, Variant::number(3)});
     },
     regex, first_text},
    {"krREGEX_type4", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"[0-9]+"), kMissing, kMissing, Variant::number(4)});
     },
     regex, count_or_not_found},
    {"krREGEX_type7", u"[0-9]+",
     [](const std::u16string& c) {
       return arguments({text(c), text(u"[0-9]+"), kMissing, kMissing, Variant::number(7)});
     },
     regex, all_texts},
    {"krGETWORD_2", u" +|\t+",
     [](const std::u16string& c) {
       return arguments({text(c), Variant::number(2)});
     },
     get_word, [](Pcre2Pattern& p, std::u16string_view c) { return nth_word(p, c, 2); }},
    {"krCONCATULA", u"><|<>|>=|=>|<=|=<|\\+|-|\\^|\\*|/|=|<|>",
     [](const std::u16string& c) { return arguments({text(c)}); }, concatula, formula_value, true},
};

// --- cells ---------------------------------------------------------------------------------

// The column's cells joined by blanks and cut into cells of `length` units: about four million
// units in all (at most the column's number of cells, at least 100, so that a block of calls
// takes many times what reading the clock does).
std::vector<std::u16string> cells_of_length(std::size_t length) {
  const std::size_t count = std::clamp<std::size_t>(4'000'000 / length, 100, kColumnCells);
  std::u16string all;
  for (std::size_t i = 0; all.size() < count * length; ++i) {
    all += column()[i % column().size()];
    all += u' ';
  }
  std::vector<std::u16string> cells;
  for (std::size_t i = 0; i < count; ++i) cells.push_back(all.substr(i * length, length));
  return cells;
}

// --- the measurement -----------------------------------------------------------------------

double thread_cpu_ns() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

struct Pass {
  double ns = 0;
  std::size_t allocations = 0;
};

// What a reading of the thread's CPU clock adds to the time between two readings: about 1.3 us
// on the machines this is run on, a few percent of a block's time, and as much for every block.
double clock_cost_ns() {
  std::array<double, 101> empty{};
  for (double& ns : empty) {
    const double start = thread_cpu_ns();
    ns = thread_cpu_ns() - start;
  }
  std::nth_element(empty.begin(), empty.begin() + 50, empty.end());
  return empty[50];
}

template <class Work>
void timed(Pass& total, Work&& work) {
  static const double clock_cost = clock_cost_ns();
  const std::size_t allocated = test::heap_allocations;
  const double start = thread_cpu_ns();
  work();
  total.ns += thread_cpu_ns() - start - clock_cost;
  total.allocations += test::heap_allocations - allocated;
}

// The calls timed between two readings of the clock.
constexpr std::size_t kBlock = 1024;

// A host builds a call's arguments just before the call, so they are in cache when it starts.
// Built a block at a time, the arguments of a block of long cells would be pushed out by the
// texts copied after them (a thousand cells of 1,000 units copy 2 MB): read them once more, as
// building them left them. The texts stay as copying left them, the member's and the floor's
// alike.
void hold_in_cache(const std::vector<Arguments>& block, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    for (const Variant& v : block[i]) benchmark::DoNotOptimize(v.type());
  }
}

// Runs `call` on each cell's arguments, built a block at a time as a host builds them before a
// call, and times the calls alone.
template <class Call>
void time_on_arguments(Pass& pass, const Row& row, const std::vector<std::u16string>& cells,
                       std::vector<Arguments>& block, Call&& call) {
  for (std::size_t first = 0; first < cells.size(); first += kBlock) {
    const std::size_t count = std::min(kBlock, cells.size() - first);
    for (std::size_t i = 0; i < count; ++i) block[i] = row.make(cells[first + i]);
    hold_in_cache(block, count);
    timed(pass, [&] {
      for (std::size_t i = 0; i < count; ++i) benchmark::DoNotOptimize(call(block[i]));
    });
  }
}

void member_beside_floors(benchmark::State& state, const Row& row, std::size_t length) {
  const std::vector<std::u16string> cells = row.formulas ? text_formulas()
                                            : length     ? cells_of_length(length)
                                                         : column();
  clsKestrune object;
  Pcre2Pattern strict(row.floor_pattern, Pcre2Pattern::jit);
  for (const std::u16string& cell : cells) {
    Arguments a = row.make(cell);
    Pcre2Pattern loose(row.floor_pattern, Pcre2Pattern::interpreter);
    const Variant answer = row.call(object, a);
    if (!(answer == row.answer(strict, cell)) || !(answer == row.answer(loose, cell))) {
      state.SkipWithError("the member and a floor answer differently");
      return;
    }
  }
  Pass building, member, strict_floor, strict_from_arguments, loose_floor;
  std::vector<Arguments> block(kBlock);
  for (auto _ : state) {
    timed(building, [&] {
      for (const std::u16string& cell : cells) {
        Arguments a = row.make(cell);
        benchmark::DoNotOptimize(a);
      }
    });
    time_on_arguments(member, row, cells, block, [&](Arguments& a) { return row.call(object, a); });
    time_on_arguments(strict_from_arguments, row, cells, block,
                      [&](Arguments& a) { return row.answer(strict, a[0].text_value()); });
    timed(strict_floor, [&] {
      for (const std::u16string& cell : cells) benchmark::DoNotOptimize(row.answer(strict, cell));
    });
    timed(loose_floor, [&] {
      for (const std::u16string& cell : cells) {
        Pcre2Pattern loose(row.floor_pattern, Pcre2Pattern::interpreter);
        benchmark::DoNotOptimize(row.answer(loose, cell));
      }
    });
  }
  const double calls = double(state.iterations()) * double(cells.size());
  const double member_ns = member.ns / calls;
  state.counters["member_ns"] = member_ns;
  state.counters["arguments_ns"] = building.ns / calls;
  state.counters["strict_ns"] = strict_floor.ns / calls;
  state.counters["loose_ns"] = loose_floor.ns / calls;
  state.counters["strict_arguments_ns"] = strict_from_arguments.ns / calls;
  state.counters["x_strict"] = member_ns / (strict_floor.ns / calls);
  state.counters["x_strict_arguments"] = member_ns / (strict_from_arguments.ns / calls);
  state.counters["x_loose"] = member_ns / (loose_floor.ns / calls);
  state.counters["allocations"] = double(member.allocations) / calls;
  state.counters["strict_allocations"] = double(strict_floor.allocations) / calls;
}

constexpr std::size_t kSweep[] = {10, 100, 1'000, 10'000, 32'767};

void register_all() {
  for (const Row& row : kRows) {
    const std::string name = row.name;
    benchmark::RegisterBenchmark((name + "/column").c_str(), member_beside_floors, row, 0)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    if (row.formulas) continue;
    for (std::size_t length : kSweep) {
      benchmark::RegisterBenchmark((name + "/" + std::to_string(length)).c_str(),
                                   member_beside_floors, row, length)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(3);
    }
  }
}

}  // namespace
}  // namespace kestrune::bench

int main(int argc, char** argv) {
  kestrune::bench::register_all();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
