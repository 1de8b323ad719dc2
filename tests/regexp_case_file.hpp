// Reading the regular-expression case files that tools/regex_oracle/oracle.mjs writes with Node
// (format: tools/regex_oracle/case_format.mjs), and running a case on this engine to give its
// outcome in the same form. Used by regexp_test (the conformance table) and by
// tools/regexp_agreement (random batches).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/failure.hpp"
#include "regexp/compiled_pattern.hpp"
#include "regexp/match_loop.hpp"
#include "regexp/regexp.hpp"

namespace kestrune::regexp_cases {

constexpr std::string_view kKnownDifference = "known-difference";

struct Outcome {
  std::string matches;  // "error", "none" or the spans of every match, as in the case file
  std::u16string replaced;
};

struct Case {
  std::size_t line = 0;
  std::string category;
  std::u16string pattern;
  bool ignore_case = false;
  bool global = false;
  std::u16string subject;
  std::u16string replacement;
  Outcome node;
  Outcome engine;  // what this engine is expected to give: Node's, unless a known difference
  bool known_difference() const { return category.rfind(kKnownDifference, 0) == 0; }
};

// The escapes the case files use besides \uXXXX; any other escaped character stands for itself.
constexpr std::pair<char, char16_t> kNamedEscapes[] = {
    {'\\', u'\\'}, {'n', u'\n'}, {'r', u'\r'}, {'t', u'\t'}};

inline std::u16string unescape(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += char16_t(static_cast<unsigned char>(text[i]));
      continue;
    }
    const char e = text.at(++i);
    std::size_t digits = 0;
    if (e == 'u') {
      out += char16_t(std::stoul(std::string(text.substr(i + 1, 4)), &digits, 16));
      if (digits != 4) throw std::runtime_error("bad \\u escape");
      i += 4;
      continue;
    }
    char16_t unit = char16_t(e);
    for (const auto& [name, named] : kNamedEscapes) unit = e == name ? named : unit;
    out += unit;
  }
  return out;
}

inline std::string escape(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) {
    const auto* named = std::find_if(std::begin(kNamedEscapes), std::end(kNamedEscapes),
                                     [c](const auto& escape) { return escape.second == c; });
    if (named != std::end(kNamedEscapes)) {
      out += {'\\', named->first};
    } else if (c >= 0x20 && c < 0x7F) {
      out += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04X", unsigned(c));
      out += hex;
    }
  }
  return out;
}

inline std::vector<std::string> split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, separator)) fields.push_back(field);
  if (!line.empty() && line.back() == separator) fields.emplace_back();
  return fields;
}

inline std::vector<Case> read_case_file(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<Case> cases;
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = split(line, '\t');
    if (f.size() != 7 && f.size() != 9) {
      throw std::runtime_error(path + ":" + std::to_string(number) + ": wrong field count");
    }
    Case c;
    c.line = number;
    c.category = f[0];
    c.pattern = unescape(f[1]);
    c.ignore_case = f[2].find('i') != std::string::npos;
    c.global = f[2].find('g') != std::string::npos;
    c.subject = unescape(f[3]);
    c.replacement = unescape(f[4]);
    c.node = {f[5], unescape(f[6])};
    c.engine = f.size() == 9 ? Outcome{f[7], unescape(f[8])} : c.node;
    cases.push_back(std::move(c));
  }
  return cases;
}

// The group spans of every match, from the service's own loop; the whole-match positions are
// checked against what the public Execute reports.
inline std::string encode_matches(const Case& c, const MatchCollection& executed) {
  using namespace regexp_internal;
  const CompiledPattern pattern(c.pattern, c.ignore_case);
  StepBudget budget;
  std::vector<std::size_t> spans(2 * (std::size_t(pattern.group_count()) + 1));
  std::string out;
  std::size_t found = 0;
  std::string difference;
  for_each_match(pattern, c.subject, 0, budget, spans, [&] {
    if (found == executed.Count()) {
      difference = "execute-count-differs";
      return false;
    }
    const Match& m = executed.Item(found);
    if (m.FirstIndex != spans[0] || m.FirstIndex + m.Length != spans[1] ||
        m.Value != std::u16string_view(c.subject).substr(m.FirstIndex, m.Length)) {
      difference = "execute-differs";
      return false;
    }
    if (found++) out += ';';
    for (std::uint32_t g = 0; g <= pattern.group_count(); ++g) {
      if (g) out += ',';
      const std::size_t start = spans[2 * g];
      out += start == kUnset ? "-" : std::to_string(start) + ":" + std::to_string(spans[2 * g + 1]);
    }
    return c.global;
  });
  if (!difference.empty()) return difference;
  if (found != executed.Count()) return "execute-count-differs";
  return found == 0 ? "none" : out;
}

// This engine's outcome, through the calls the worksheet functions make: Test, Execute, Replace.
inline Outcome run_case(const Case& c) {
  try {
    RegExp re;
    re.Pattern = c.pattern;
    re.IgnoreCase = c.ignore_case;
    re.Global = c.global;
    const bool tested = re.Test(c.subject);
    const MatchCollection executed = re.Execute(c.subject);
    Outcome outcome{encode_matches(c, executed), re.Replace(c.subject, c.replacement)};
    if (tested != (executed.Count() > 0)) outcome.matches = "test-differs";
    return outcome;
  } catch (const Failure&) {
    return {"error", u"-"};
  }
}

// Only where the matches are: group 0 of each.
inline std::string positions_only(const std::string& matches) {
  std::string out;
  for (const std::string& match : split(matches, ';')) {
    if (!out.empty()) out += ';';
    out += match.substr(0, match.find(','));
  }
  return out;
}

}  // namespace kestrune::regexp_cases
