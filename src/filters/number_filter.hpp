// NumberFilter: a character-by-character state machine that keeps the characters of a number.
//
// It keeps digits, the first decimal separator, a leading minus sign, and an exponent in the
// form a spreadsheet shows for scientific notation (one digit before the separator, then "E+"
// or "E-": "1.5E+10", "7E-3"); a number in parentheses, "(45)", becomes negative. Everything
// else is dropped. The caller owns the output, and may append to it between feeds.
//
//   NumberFilter filter;
//   std::u16string output;
//   for (char16_t c : std::u16string_view(u"Price: (1,234.56)")) filter.Feed(c, u'.', output);
//   filter.Finish(output);   // "-1234.56"
//
// Characters outside ASCII count as letters: they are dropped and never start an exponent.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

class NumberFilter {
 public:
  // Looks at one character; appends it (or an exponent marker) to `output` when it belongs to
  // the number.
  void Feed(char16_t c, char16_t decimal_separator, std::u16string& output);
  // Drops an exponent marker without digits at the end of `output` and applies the minus of a
  // number in parentheses. Looks at the output as a whole, whatever appended to it.
  void Finish(std::u16string& output) const;

 private:
  bool keep_digit();
  void see_letter(char16_t c);
  bool keep_decimal_separator();
  bool keep_minus(std::u16string& output);
  void see_plus(std::u16string& output);
  void write_exponent_marker(char16_t sign, std::u16string& output);

  bool number_started = false;    // a digit, the separator or a leading minus has been kept
  bool open_paren = false;        // "(" came before the number started
  bool negative_paren = false;    // ")" closed it, with no digit or separator kept since
  bool decimal_seen = false;      // later separators are dropped
  bool exponent_allowed = true;   // an exponent may still follow
  bool exponent_ready = false;    // an "E" here would start an exponent
  bool first_digit_seen = false;  // reset after an exponent marker
  bool exponent_written = false;  // no second exponent is recognised
  bool e_pending = false;         // an "E" waits for its sign
};

// A fresh filter fed every character of `text`, then finished: the characters of its number.
std::u16string number_characters(std::u16string_view text, char16_t separator);

}  // namespace kestrune
