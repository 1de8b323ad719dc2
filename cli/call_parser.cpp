#include "cli/call_parser.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "base/utf8.hpp"
#include "variant/conversions.hpp"

namespace kestrune::cli {
namespace {

struct NamedError {
  std::string_view name;
  std::uint32_t code;
};

constexpr std::array<NamedError, 7> kWorksheetErrors{{
    {"#NULL!", worksheet_error::kNull},
    {"#DIV/0!", worksheet_error::kDiv0},
    {"#VALUE!", worksheet_error::kValue},
    {"#REF!", worksheet_error::kRef},
    {"#NAME?", worksheet_error::kName},
    {"#NUM!", worksheet_error::kNum},
    {"#N/A", worksheet_error::kNA},
}};

bool is_space(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool is_name_character(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_';
}
char16_t upper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

// The column an upper-case word of letters names (0 for A, 26 for AA), or nothing. Column
// names have at most three letters (XFD), so they never collide with the keywords.
std::optional<std::size_t> column_named(std::string_view word) {
  constexpr std::size_t kLetters = 26;
  std::size_t number = 0;  // bijective base 26: A is 1, Z is 26, AA is 27
  for (const char c : word) {
    if (c < 'A' || c > 'Z') return std::nullopt;
    number = number * kLetters + std::size_t(c - 'A' + 1);
    if (number > kMaxColumns) return std::nullopt;
  }
  if (number == 0) return std::nullopt;
  return number - 1;
}

// A recursive-descent reader over one line; the first error stops it.
class Reader {
 public:
  explicit Reader(std::u16string_view text, ColumnNames column_names = ColumnNames::refused)
      : text_(text), column_names_(column_names) {}

  ParsedCall call() {
    ParsedCall call;
    skip_spaces();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && is_name_character(text_[pos_])) ++pos_;
    if (pos_ == start) return with_error(std::move(call), "a call starts with a member name");
    call.name = to_utf8(text_.substr(start, pos_ - start));
    skip_spaces();
    if (!take(u'(')) return with_error(std::move(call), "expected \"(\" after the member name");
    call.arguments = argument_list(u')', call.columns);
    if (error_.empty()) {
      skip_spaces();
      if (pos_ != text_.size()) error_ = "unexpected text after the call";
    }
    call.error = error_;
    return call;
  }

  Variant single_value() {
    Variant v = value(0);
    skip_spaces();
    if (error_.empty() && pos_ != text_.size()) error_ = "unexpected text after the value";
    return v;
  }

  const std::string& error() const { return error_; }

 private:
  ParsedCall with_error(ParsedCall call, std::string message) {
    call.error = std::move(message);
    return call;
  }

  void fail_at(const std::string& message) {
    if (error_.empty()) error_ = message + " at column " + std::to_string(pos_ + 1);
  }

  void skip_spaces() {
    while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
  }

  bool take(char16_t c) {
    skip_spaces();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool at(char16_t c) {
    skip_spaces();
    return pos_ < text_.size() && text_[pos_] == c;
  }

  // Arguments up to `close`; an empty slot is an omitted argument, a column name (where they
  // are accepted) a column reference waiting for its cell.
  std::vector<Variant> argument_list(char16_t close, std::vector<ColumnReference>& columns) {
    std::vector<Variant> arguments;
    if (take(close)) return arguments;
    while (error_.empty()) {
      if (arguments.size() == kMaxArguments) {
        fail_at("more than " + std::to_string(kMaxArguments) + " arguments");
        break;
      }
      if (at(u',') || at(close)) {
        arguments.push_back(Variant::missing());
      } else if (const auto column = column_argument(close)) {
        columns.push_back({arguments.size(), *column});
        arguments.emplace_back();
      } else {
        arguments.push_back(value(0));
      }
      if (take(u',')) continue;
      if (!take(close)) fail_at("expected \",\" or \")\"");
      break;
    }
    return arguments;
  }

  // A column name that is a whole argument (followed by "," or `close`); nothing, and the
  // position unchanged, otherwise.
  std::optional<std::size_t> column_argument(char16_t close) {
    if (column_names_ != ColumnNames::accepted) return std::nullopt;
    const std::size_t start = pos_;
    const std::optional<std::size_t> column = column_named(upper_word());
    if (column && (at(u',') || at(close))) return column;
    pos_ = start;
    return std::nullopt;
  }

  // The word of name characters at the position, upper-cased; the position moves past it.
  std::string upper_word() {
    std::string word;
    while (pos_ < text_.size() && is_name_character(text_[pos_])) {
      word.push_back(char(upper(text_[pos_++])));
    }
    return word;
  }

  Variant value(int depth) {
    if (depth > kMaxNesting) {
      fail_at("nested too deeply");
      return Variant();
    }
    skip_spaces();
    if (pos_ >= text_.size()) {
      fail_at("expected a value");
      return Variant();
    }
    const char16_t c = text_[pos_];
    if (c == u'"') return quoted_text();
    if (c == u'{') return array(depth);
    if (c == u'#') return error_value();
    if (c == u'-' || c == u'+' || c == u'.' || (c >= u'0' && c <= u'9')) return number();
    return keyword(depth);
  }

  Variant quoted_text() {
    ++pos_;  // the opening quote
    std::u16string text;
    while (pos_ < text_.size()) {
      const char16_t c = text_[pos_++];
      if (c != u'"') {
        text.push_back(c);
      } else if (pos_ < text_.size() && text_[pos_] == u'"') {
        text.push_back(u'"');
        ++pos_;
      } else {
        return Variant::text(std::move(text));
      }
    }
    fail_at("unterminated text");
    return Variant();
  }

  Variant number() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !is_space(text_[pos_]) && text_[pos_] != u',' &&
           text_[pos_] != u')' && text_[pos_] != u';' && text_[pos_] != u'}') {
      ++pos_;
    }
    const auto number = parse_number(text_.substr(start, pos_ - start), u'.');
    if (!number) {
      pos_ = start;
      fail_at("not a number");
      return Variant();
    }
    return Variant::number(*number);
  }

  Variant error_value() {
    for (const NamedError& error : kWorksheetErrors) {
      if (matches_word(error.name)) {
        pos_ += error.name.size();
        return Variant::error(error.code);
      }
    }
    fail_at("unknown error value");
    return Variant();
  }

  // A keyword in any letter case: TRUE, FALSE, EMPTY, NULL or CELL( v ).
  Variant keyword(int depth) {
    const std::size_t start = pos_;
    const std::string word = upper_word();
    if (word == "TRUE") return Variant::boolean(true);
    if (word == "FALSE") return Variant::boolean(false);
    if (word == "EMPTY") return Variant();
    if (word == "NULL") return Variant::null();
    if (word == "CELL" && take(u'(')) {
      Variant inner = value(depth + 1);
      if (!take(u')')) fail_at("expected \")\" after the cell's value");
      return Variant::object(std::make_shared<ValueObject>(std::move(inner)));
    }
    pos_ = start;
    if (column_names_ == ColumnNames::accepted && column_named(word)) {
      fail_at("a column name stands only as an argument of its own");
    } else {
      fail_at("expected a value");
    }
    return Variant();
  }

  // The elements go into one row-by-row list as they are read, so an array costs its elements
  // once; a row of another length stops the reading where it shows.
  Variant array(int depth) {
    ++pos_;  // the opening brace
    std::vector<Variant> elements;
    std::size_t columns = 0;  // known once the first row ends
    std::size_t rows = 1;
    while (error_.empty()) {
      if (++array_elements_ > kMaxArrayElements) {
        fail_at("more than " + std::to_string(kMaxArrayElements) + " array elements in one call");
        break;
      }
      elements.push_back(value(depth + 1));
      if (take(u',')) continue;
      const bool row_ends = take(u';');
      if (!row_ends && !take(u'}')) {
        fail_at("expected \",\", \";\" or \"}\"");
        break;
      }
      if (columns == 0) columns = elements.size();
      if (elements.size() != rows * columns) {
        fail_at("the rows of an array must have the same length");
        break;
      }
      if (!row_ends) break;
      ++rows;
    }
    if (!error_.empty()) return Variant();
    Array grid = Array::two_dimensional(rows, columns);
    std::move(elements.begin(), elements.end(), grid.elements().begin());
    return Variant::array(std::move(grid));
  }

  bool matches_word(std::string_view word) const {
    if (text_.size() - pos_ < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (upper(text_[pos_ + i]) != char16_t(word[i])) return false;
    }
    return true;
  }

  std::u16string_view text_;
  ColumnNames column_names_;
  std::size_t pos_ = 0;
  std::size_t array_elements_ = 0;  // in all the arrays read so far
  std::string error_;
};

}  // namespace

ParsedCall parse_call(std::u16string_view line, ColumnNames column_names) {
  return Reader(line, column_names).call();
}

Variant parse_value(std::u16string_view text, std::string& error) {
  Reader reader(text);
  Variant value = reader.single_value();
  error = reader.error();
  return value;
}

std::string_view worksheet_error_name(std::uint32_t code) {
  for (const NamedError& error : kWorksheetErrors) {
    if (error.code == code) return error.name;
  }
  return "";
}

}  // namespace kestrune::cli
