// The floors the benchmarks compare with: PCRE2 alone, with none of kestrune's work around it.
//
// Pcre2Floor compiles the pattern and matches it for every cell (the column benchmark's floor).
// Pcre2Pattern is the strict floor's matcher: compiled and JIT-compiled once, one match data
// reused, pcre2_jit_match; the answers built on it (calls_bench.cpp) are the members' own.
//
//   bench::Pcre2Floor floor(u"\\d+");          // the pattern in PCRE2's own syntax
//   std::size_t n = floor.count_matches(cell);  // compiles, matches every occurrence
//   bench::Pcre2Pattern digits(u"\\d+", bench::Pcre2Pattern::jit);
//   if (digits.find(cell, 0)) use(digits.start(), digits.end());
#pragma once

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrune::bench {

class Pcre2Floor {
 public:
  explicit Pcre2Floor(std::u16string pattern, std::uint32_t options = 0)
      : pattern_(std::move(pattern)), options_(options) {}

  // Compile, then the first match: its start, or -1.
  long first_match(std::u16string_view subject) const {
    Compiled c(pattern_, options_);
    const int rc = pcre2_match(c.code, sptr(subject), subject.size(), 0, 0, c.data, nullptr);
    return rc > 0 ? long(pcre2_get_ovector_pointer(c.data)[0]) : -1;
  }

  // Compile, then every non-overlapping match.
  std::size_t count_matches(std::u16string_view subject) const {
    Compiled c(pattern_, options_);
    std::size_t count = 0;
    PCRE2_SIZE start = 0;
    while (start <= subject.size() &&
           pcre2_match(c.code, sptr(subject), subject.size(), start, 0, c.data, nullptr) > 0) {
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(c.data);
      ++count;
      start = ovector[1] > ovector[0] ? ovector[1] : ovector[0] + 1;
    }
    return count;
  }

  // Compile, then substitute the first or every match.
  std::u16string substitute(std::u16string_view subject, std::u16string_view replacement,
                            bool global) const {
    Compiled c(pattern_, options_);
    std::u16string out(subject.size() + 64, u'\0');
    PCRE2_SIZE length = out.size();
    const int rc =
        pcre2_substitute(c.code, sptr(subject), subject.size(), 0,
                         PCRE2_SUBSTITUTE_OVERFLOW_LENGTH | (global ? PCRE2_SUBSTITUTE_GLOBAL : 0),
                         c.data, nullptr, sptr(replacement), replacement.size(),
                         reinterpret_cast<PCRE2_UCHAR16*>(out.data()), &length);
    out.resize(rc >= 0 ? length : 0);
    return out;
  }

 private:
  static PCRE2_SPTR16 sptr(std::u16string_view s) {
    return reinterpret_cast<PCRE2_SPTR16>(s.data());
  }

  struct Compiled {
    Compiled(const std::u16string& pattern, std::uint32_t options) {
      int error = 0;
      PCRE2_SIZE offset = 0;
      code = pcre2_compile(sptr(pattern), pattern.size(), options, &error, &offset, nullptr);
      data = pcre2_match_data_create_from_pattern(code, nullptr);
    }
    ~Compiled() {
      pcre2_match_data_free(data);
      pcre2_code_free(code);
    }
    pcre2_code* code;
    pcre2_match_data* data;
  };

  std::u16string pattern_;
  std::uint32_t options_;
};

// One compiled pattern and its match data. With `jit` it matches by pcre2_jit_match alone;
// without, by pcre2_match on the interpreter, as a pattern compiled for one cell would.
class Pcre2Pattern {
 public:
  enum Engine { interpreter, jit };

  Pcre2Pattern(std::u16string_view pattern, Engine engine) : jit_(engine == jit) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ = pcre2_compile(sptr(pattern), pattern.size(), 0, &error, &offset, nullptr);
    if (!code_ || (jit_ && pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE) != 0)) {
      throw std::runtime_error("the floor's pattern does not compile");
    }
    data_ = pcre2_match_data_create_from_pattern(code_, nullptr);
    ovector_ = pcre2_get_ovector_pointer(data_);
  }
  ~Pcre2Pattern() {
    pcre2_match_data_free(data_);
    pcre2_code_free(code_);
  }
  Pcre2Pattern(const Pcre2Pattern&) = delete;
  Pcre2Pattern& operator=(const Pcre2Pattern&) = delete;

  // The leftmost match at or after `from`; its span is then start() to end().
  bool find(std::u16string_view subject, std::size_t from) {
    const int rc =
        jit_ ? pcre2_jit_match(code_, sptr(subject), subject.size(), from, 0, data_, nullptr)
             : pcre2_match(code_, sptr(subject), subject.size(), from, 0, data_, nullptr);
    return rc > 0;
  }
  std::size_t start() const { return ovector_[0]; }
  std::size_t end() const { return ovector_[1]; }
  // Where the search after the last match goes on: one further after an empty match.
  std::size_t next() const { return end() > start() ? end() : end() + 1; }

 private:
  static PCRE2_SPTR16 sptr(std::u16string_view s) {
    return reinterpret_cast<PCRE2_SPTR16>(s.data());
  }

  bool jit_;
  pcre2_code* code_ = nullptr;
  pcre2_match_data* data_ = nullptr;
  PCRE2_SIZE* ovector_ = nullptr;
};

}  // namespace kestrune::bench
