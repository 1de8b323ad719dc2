// Reports how often this engine agrees with Node on a case file from
// tools/regex_oracle/oracle.mjs: on the positions of the matches, and on the replaced text.
//
//   node tools/regex_oracle/oracle.mjs random 2000 > /tmp/batch.tsv
//   build/release/tools/regexp_agreement /tmp/batch.tsv          # figures, then every disagreement
//   build/release/tools/regexp_agreement --quiet /tmp/batch.tsv  # figures only
#include <cstdio>
#include <string>

#include "regexp_case_file.hpp"

namespace {

using kestrune::regexp_cases::Case;
using kestrune::regexp_cases::escape;
using kestrune::regexp_cases::Outcome;

struct Tally {
  std::size_t cases = 0;
  std::size_t positions = 0;
  std::size_t replaced = 0;
  std::size_t both = 0;
};

void print_disagreement(const Case& c, const Outcome& mine) {
  std::printf("line %zu: /%s/%s%s on \"%s\" with \"%s\"\n", c.line, escape(c.pattern).c_str(),
              c.global ? "g" : "", c.ignore_case ? "i" : "", escape(c.subject).c_str(),
              escape(c.replacement).c_str());
  std::printf("  node:   %s  \"%s\"\n", c.node.matches.c_str(), escape(c.node.replaced).c_str());
  std::printf("  engine: %s  \"%s\"\n", mine.matches.c_str(), escape(mine.replaced).c_str());
}

double percent(std::size_t part, std::size_t whole) {
  return whole ? 100.0 * double(part) / double(whole) : 100.0;
}

}  // namespace

int main(int argc, char** argv) {
  bool quiet = false;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quiet") {
      quiet = true;
    } else {
      path = arg;
    }
  }
  if (path.empty()) {
    std::fprintf(stderr, "usage: regexp_agreement [--quiet] CASE_FILE\n");
    return 2;
  }
  Tally t;
  for (const Case& c : kestrune::regexp_cases::read_case_file(path)) {
    const Outcome mine = kestrune::regexp_cases::run_case(c);
    const bool positions = kestrune::regexp_cases::positions_only(mine.matches) ==
                           kestrune::regexp_cases::positions_only(c.node.matches);
    const bool replaced = mine.replaced == c.node.replaced;
    ++t.cases;
    t.positions += positions;
    t.replaced += replaced;
    t.both += positions && replaced;
    if (!quiet && !(positions && replaced)) print_disagreement(c, mine);
  }
  std::printf(
      "%zu cases: match positions agree %zu (%.2f%%), replaced text agrees %zu (%.2f%%), "
      "both %zu (%.2f%%)\n",
      t.cases, t.positions, percent(t.positions, t.cases), t.replaced, percent(t.replaced, t.cases),
      t.both, percent(t.both, t.cases));
  return 0;
}
