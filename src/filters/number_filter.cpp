#include "filters/number_filter.hpp"

namespace kestrune {
namespace {

// The branches go by character code: digits, then everything from ':' up (letters; every
// character outside ASCII falls here too), then the punctuation below '0'.
constexpr char16_t kFirstLetterCode = u':';

constexpr char16_t kExponentMark = u'E';

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

void NumberFilter::Feed(char16_t c, char16_t decimal_separator, std::u16string& output) {
  bool keep = false;
  if (is_digit(c)) {
    keep = keep_digit();
  } else if (c >= kFirstLetterCode) {
    see_letter(c);
  } else if (c == decimal_separator) {
    keep = keep_decimal_separator();
  } else if (c == u'-') {
    keep = keep_minus(output);
  } else if (c == u'(') {
    if (!number_started) open_paren = true;
  } else if (c == u')') {
    if (open_paren) negative_paren = true;
  } else if (c == u'+') {
    see_plus(output);
  }
  if (keep) output.push_back(c);
}

void NumberFilter::Finish(std::u16string& output) const {
  if (!output.empty() && output.back() == kExponentMark) output.pop_back();
  if (output.size() > 1 && output[output.size() - 2] == kExponentMark) {
    output.resize(output.size() - 2);
  }
  if (negative_paren) output.insert(output.begin(), u'-');
}

bool NumberFilter::keep_digit() {
  e_pending = false;
  number_started = true;
  negative_paren = false;
  if (exponent_allowed) {
    if (!first_digit_seen) {
      exponent_ready = true;
      first_digit_seen = true;
    } else if (!decimal_seen) {
      // A second digit before the separator: not the one-digit form scientific notation shows.
      exponent_allowed = false;
      exponent_ready = false;
    }
  }
  return true;
}

void NumberFilter::see_letter(char16_t c) {
  if (exponent_ready && c == kExponentMark && !e_pending && !exponent_written) e_pending = true;
}

bool NumberFilter::keep_decimal_separator() {
  if (decimal_seen) return false;
  number_started = true;
  negative_paren = false;
  decimal_seen = true;
  if (exponent_allowed) {
    e_pending = false;
    exponent_ready = true;
  }
  return true;
}

bool NumberFilter::keep_minus(std::u16string& output) {
  const bool leading = !number_started;
  if (leading) {
    open_paren = false;
    number_started = true;
    negative_paren = false;
  }
  if (e_pending) write_exponent_marker(u'-', output);
  return leading;
}

void NumberFilter::see_plus(std::u16string& output) {
  if (exponent_allowed && e_pending) write_exponent_marker(u'+', output);
}

void NumberFilter::write_exponent_marker(char16_t sign, std::u16string& output) {
  output.push_back(kExponentMark);
  output.push_back(sign);
  exponent_written = true;
  e_pending = false;
  exponent_allowed = false;
  exponent_ready = false;
  first_digit_seen = false;
}

std::u16string number_characters(std::u16string_view text, char16_t separator) {
  NumberFilter filter;
  std::u16string output;
  for (char16_t c : text) filter.Feed(c, separator, output);
  filter.Finish(output);
  return output;
}

}  // namespace kestrune
