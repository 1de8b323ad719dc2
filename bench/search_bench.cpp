// krSEARCH, krREPLACE and krCOUNTINCELL over a column of 100,000 short cells, beside PCRE2
// alone compiling and matching the same patterns for every cell (the floor).
#include <benchmark/benchmark.h>

#include "automation/cls_kestrune.hpp"
#include "column.hpp"
#include "pcre2_floor.hpp"

namespace kestrune::bench {
namespace {

void set_cells_per_second(benchmark::State& state) {
  state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(column().size()));
}

void krSEARCH_column(benchmark::State& state, const char16_t* find, double code) {
  clsKestrune object;
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      Variant subject = Variant::text(cell), find_text = Variant::text(find);
      Variant return_type = Variant::number(code);
      Variant m1 = Variant::missing(), m2 = Variant::missing(), m3 = Variant::missing();
      Variant m4 = Variant::missing(), m5 = Variant::missing(), m6 = Variant::missing();
      Variant m7 = Variant::missing();
      benchmark::DoNotOptimize(
          object.krSEARCH(subject, find_text, m1, return_type, m2, m3, m4, m5, m6, m7));
    }
  }
  set_cells_per_second(state);
}

void krREPLACE_column(benchmark::State& state, const char16_t* find, bool all) {
  clsKestrune object;
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      Variant subject = Variant::text(cell), find_text = Variant::text(find);
      Variant replacement = Variant::text(u"#"), replace_all = Variant::boolean(all);
      Variant m1 = Variant::missing(), m2 = Variant::missing(), m3 = Variant::missing();
      Variant m4 = Variant::missing(), m5 = Variant::missing();
      benchmark::DoNotOptimize(
          object.krREPLACE(subject, find_text, replacement, m1, replace_all, m2, m3, m4, m5));
    }
  }
  set_cells_per_second(state);
}

void krCOUNTINCELL_column(benchmark::State& state, const char16_t* find) {
  clsKestrune object;
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      Variant subject = Variant::text(cell), find_text = Variant::text(find);
      Variant case_sensitive = Variant::missing();
      benchmark::DoNotOptimize(object.krCOUNTINCELL(subject, find_text, case_sensitive));
    }
  }
  set_cells_per_second(state);
}

void floor_first(benchmark::State& state, const char16_t* pattern) {
  const Pcre2Floor floor(pattern);
  for (auto _ : state) {
    for (const std::u16string& cell : column()) benchmark::DoNotOptimize(floor.first_match(cell));
  }
  set_cells_per_second(state);
}

void floor_all(benchmark::State& state, const char16_t* pattern) {
  const Pcre2Floor floor(pattern);
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      benchmark::DoNotOptimize(floor.count_matches(cell));
    }
  }
  set_cells_per_second(state);
}

void floor_substitute(benchmark::State& state, const char16_t* pattern, bool all) {
  const Pcre2Floor floor(pattern);
  for (auto _ : state) {
    for (const std::u16string& cell : column()) {
      benchmark::DoNotOptimize(floor.substitute(cell, u"#", all));
    }
  }
  set_cells_per_second(state);
}

BENCHMARK_CAPTURE(krSEARCH_column, code1_literal, u"order", 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor_first, code1_literal, u"order")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krSEARCH_column, code3_digits, u"[0-9]{1,}", 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor_first, code3_digits, u"[0-9]{1,}")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krSEARCH_column, code9_count, u"o", 9)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor_all, code9_count, u"o")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krSEARCH_column, code13_list, u"[0-9]{1,}", 13)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor_all, code13_list, u"[0-9]{1,}")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krREPLACE_column, first, u"[0-9]{1,}", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor_substitute, first, u"[0-9]{1,}", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krREPLACE_column, all, u"[0-9]{1,}", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor_substitute, all, u"[0-9]{1,}", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(krCOUNTINCELL_column, wildcard, u"o?e")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(floor_all, count_wildcard, u"o.e")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrune::bench

BENCHMARK_MAIN();
