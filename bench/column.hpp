// A column of realistic short cells for the benchmarks: names, addresses, product codes,
// prices with "." and "," decimals, dates and short sentences, the same on every run.
//
//   const std::vector<std::u16string>& cells = bench::column();   // 100,000 cells
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kestrune::bench {

inline constexpr std::size_t kColumnCells = 100'000;

// A small deterministic generator, so every run measures the same cells.
class Lcg {
 public:
  explicit Lcg(std::uint64_t seed) : state_(seed) {}
  std::uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return std::uint32_t(state_ >> 33);
  }
  std::size_t below(std::size_t n) { return next() % n; }

 private:
  std::uint64_t state_;
};

// Joins pieces by appending (one buffer, no temporaries).
inline std::u16string join(std::initializer_list<std::string> pieces) {
  std::u16string cell;
  for (const std::string& piece : pieces) cell.append(piece.begin(), piece.end());
  return cell;
}

inline std::u16string make_cell(Lcg& random) {
  static const char* first[] = {"Anna", "Ben", "Chloe", "David", "Emma", "Farid", "Grace", "Hugo"};
  static const char* last[] = {"Smith", "Mueller", "Garcia", "Nguyen", "Okafor", "Rossi"};
  static const char* streets[] = {"Main St", "Elm Road", "Rue de la Paix", "Hauptstrasse"};
  static const char* words[] = {"the",  "quick", "brown", "fox",     "jumps",   "over",
                                "lazy", "dog",   "order", "shipped", "invoice", "paid"};
  const auto n = [&](std::size_t limit) { return std::to_string(random.below(limit)); };
  switch (random.below(6)) {
    case 0:
      return join({first[random.below(8)], " ", last[random.below(6)]});
    case 1:
      return join({n(999), " ", streets[random.below(4)], ", ", n(99999)});
    case 2:
      return join({"SKU-", n(10000), "-", std::string(1, char('A' + random.below(26))), n(10)});
    case 3:
      return join({n(10000), random.below(2) ? "." : ",", n(100), " EUR"});
    case 4:
      return join({"2026-", n(12), "-", n(28), " order ", n(100000)});
    default: {
      std::u16string sentence;
      const std::size_t count = 3 + random.below(6);
      for (std::size_t i = 0; i < count; ++i) {
        sentence += join({i ? " " : "", words[random.below(12)]});
      }
      return sentence;
    }
  }
}

inline const std::vector<std::u16string>& column() {
  static const std::vector<std::u16string> cells = [] {
    Lcg random(20261206);
    std::vector<std::u16string> made;
    made.reserve(kColumnCells);
    for (std::size_t i = 0; i < kColumnCells; ++i) made.push_back(make_cell(random));
    return made;
  }();
  return cells;
}

// Text formulas for krCONCATULA, one a cell: a digit, an operator (+ * / >= <> ^), a number.
inline const std::vector<std::u16string>& text_formulas() {
  static const std::vector<std::u16string> formulas = [] {
    static const char16_t* operators[] = {u"+", u"*", u"/", u">=", u"<>", u"^"};
    std::vector<std::u16string> made;
    made.reserve(kColumnCells);
    for (std::size_t i = 0; i < kColumnCells; ++i) {
      made.push_back(u"=" + std::u16string(1, char16_t(u'1' + i % 9)) + operators[i % 6] +
                     std::u16string(1, char16_t(u'1' + i % 7)) + u".5");
    }
    return made;
  }();
  return formulas;
}

}  // namespace kestrune::bench
