// krREGEX, the character filters, krGETWORD and krCONCATULA over the column of 100,000 short
// cells; krREGEX beside PCRE2 alone compiling and matching the same pattern for every cell.
#include <benchmark/benchmark.h>

#include "automation/cls_kestrune.hpp"
#include "column.hpp"
#include "pcre2_floor.hpp"

namespace kestrune::bench {
namespace {

void set_cells_per_second(benchmark::State& state) {
  state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(column().size()));
}

// krREGEX(cell, "[0-9]+", , replacement, return_type) with fresh arguments for every call.
void krREGEX_column(benchmark::State& state, double return_type, bool replace) {
  clsKestrune object;
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      Variant subject = Variant::text(cell), regex = Variant::text(u"[0-9]+");
      Variant case_sensitive = Variant::missing(), not_found = Variant::missing();
      Variant replacement = replace ? Variant::text(u"#") : Variant::missing();
      Variant code = Variant::number(return_type);
      benchmark::DoNotOptimize(
          object.krREGEX(subject, regex, case_sensitive, replacement, code, not_found));
    }
  }
  set_cells_per_second(state);
}

void floor_first(benchmark::State& state) {
  const Pcre2Floor floor(u"[0-9]+");
  for (auto _ : state) {
    for (const std::u16string& cell : column()) benchmark::DoNotOptimize(floor.first_match(cell));
  }
  set_cells_per_second(state);
}

void floor_all(benchmark::State& state) {
  const Pcre2Floor floor(u"[0-9]+");
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      benchmark::DoNotOptimize(floor.count_matches(cell));
    }
  }
  set_cells_per_second(state);
}

void floor_substitute_all(benchmark::State& state) {
  const Pcre2Floor floor(u"[0-9]+");
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      benchmark::DoNotOptimize(floor.substitute(cell, u"#", true));
    }
  }
  set_cells_per_second(state);
}

// A list member on (cell, item, item): the worksheet's open argument list, lower bound 0.
template <std::u16string (clsKestrune::*Member)(Variant&)>
void list_member_column(benchmark::State& state) {
  clsKestrune object;
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      Array list = Array::one_dimensional(3, 0);
      list.elements() = {Variant::text(cell), Variant::text(u" "), Variant::text(u"-")};
      Variant arguments = Variant::array(std::move(list));
      benchmark::DoNotOptimize((object.*Member)(arguments));
    }
  }
  set_cells_per_second(state);
}

void krGETWORD_column(benchmark::State& state, double nth, bool from_right) {
  clsKestrune object;
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      Variant subject = Variant::text(cell), nth_word = Variant::number(nth);
      Variant separator = Variant::missing(), case_sensitive = Variant::missing();
      Variant right = Variant::boolean(from_right), not_found = Variant::missing();
      benchmark::DoNotOptimize(
          object.krGETWORD(subject, nth_word, separator, case_sensitive, right, not_found));
    }
  }
  set_cells_per_second(state);
}

// krCONCATULA on formulas made from the column: its first number, an operator, a number.
void krCONCATULA_column(benchmark::State& state) {
  clsKestrune object;
  for (auto _ : state) {
    for (const std::u16string& formula : text_formulas()) {
      Variant text_formula = Variant::text(formula);
      benchmark::DoNotOptimize(object.krCONCATULA(text_formula));
    }
  }
  set_cells_per_second(state);
}

BENCHMARK_CAPTURE(krREGEX_column, type1_position, 1, false)->Unit(benchmark::kMillisecond);
BENCHMARK(floor_first)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krREGEX_column, type4_count, 4, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krREGEX_column, type7_texts, 7, false)->Unit(benchmark::kMillisecond);
BENCHMARK(floor_all)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krREGEX_column, replace_all, -1, true)->Unit(benchmark::kMillisecond);
BENCHMARK(floor_substitute_all)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(list_member_column, &clsKestrune::krEXCLUDE)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(list_member_column, &clsKestrune::krEXTRACTNUM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krGETWORD_column, second_word, 2, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krGETWORD_column, first_from_right, 1, true)->Unit(benchmark::kMillisecond);
BENCHMARK(krCONCATULA_column)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrune::bench

BENCHMARK_MAIN();
