#include "cli/output.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/utf8.hpp"
#include "cli/call_parser.hpp"
#include "variant/conversions.hpp"

namespace kestrune::cli {
namespace {

std::string error_text(std::uint32_t code) {
  const std::string_view name = worksheet_error_name(code);
  if (!name.empty()) return std::string(name);
  std::array<char, 16> hex{};
  std::snprintf(hex.data(), hex.size(), "0x%08X", code);
  return hex.data();
}

std::string plain_scalar(const Variant& value) {
  switch (value.type()) {
    case VariantType::empty:
      return "";
    case VariantType::null:
      return "NULL";
    case VariantType::boolean:
      return value.boolean_value() ? "TRUE" : "FALSE";
    case VariantType::error:
      return error_text(value.error_code());
    case VariantType::object:
      return value.object_value() ? format_plain(value.object_value()->Value()) : "Nothing";
    case VariantType::array:  // an array inside a cell has no plain form of its own
      return format_json(value);
    default: {
      // A cell cannot hold an infinity or a NaN: it shows the error value instead.
      if (value.is_numeric() && !std::isfinite(value.numeric_value())) {
        return error_text(worksheet_error::kNum);
      }
      std::u16string storage;
      return to_utf8(to_text_view(value, storage));
    }
  }
}

// Rows of an array: one row for one dimension; each row's cells in index order.
template <class Cell, class Row>
void for_each_row(const Array& array, Cell&& cell, Row&& end_of_row) {
  const std::size_t columns = array.dimensions() == 2 ? array.bounds()[1].count : array.size();
  const std::vector<Variant>& elements = array.elements();
  for (std::size_t i = 0; i < elements.size(); ++i) {
    cell(elements[i], i % columns == 0);
    if ((i + 1) % columns == 0) end_of_row(i + 1 == elements.size());
  }
}

std::string json_number(double number) {
  if (std::isnan(number)) return R"({"number":"NaN"})";
  if (std::isinf(number))
    return number > 0 ? R"({"number":"Infinity"})" : R"({"number":"-Infinity"})";
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
  return std::string(buffer.data(), result.ptr);
}

std::string json_array(const Array& array) {
  std::string out = R"({"array":)";
  const bool two_dimensional = array.dimensions() == 2;
  out += two_dimensional ? "[[" : "[";
  for_each_row(
      array,
      [&](const Variant& cell, bool first_in_row) {
        if (!first_in_row) out += ',';
        out += format_json(cell);
      },
      [&](bool last) {
        if (two_dimensional) out += last ? "]" : "],[";
      });
  if (array.elements().empty() && two_dimensional) out += "]";
  out += R"(],"lbound":[)";
  for (std::size_t d = 0; d < array.dimensions(); ++d) {
    if (d) out += ',';
    out += std::to_string(array.bounds()[d].lower);
  }
  return out + "]}";
}

// Characters that would turn a number's text into something else: part of a number, a
// quoted text, or a line or cell break.
bool breaks_numbers(char16_t c) {
  constexpr std::u16string_view kNumberCharacters = u"0123456789+-Ee\" ";
  constexpr char16_t kDelete = 0x7F;
  constexpr char16_t kLastControl = 0x9F;
  constexpr char16_t kLineSeparator = 0x2028;
  constexpr char16_t kParagraphSeparator = 0x2029;
  const bool control = c < u' ' || (c >= kDelete && c <= kLastControl);
  const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
  return control || surrogate || c == kLineSeparator || c == kParagraphSeparator ||
         kNumberCharacters.find(c) != std::u16string_view::npos;
}

}  // namespace

std::string decimal_separator_problem(std::string_view separator) {
  const std::u16string units = from_utf8(separator);
  if (units.size() != 1 || to_utf8(units) != separator) {
    return "the decimal separator must be one character, not " + json_string(units);
  }
  if (breaks_numbers(units.front())) {
    return "the decimal separator cannot be a digit, a sign, E, a quote, a space, a control "
           "character or a line break";
  }
  return "";
}

std::string json_string(std::u16string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    const bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (c == u'"' || c == u'\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || (low) ||
               (high && !(i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF))) {
      std::array<char, 8> escape{};
      std::snprintf(escape.data(), escape.size(), "\\u%04X", unsigned(c));
      out += escape.data();
    } else if (high) {
      out += to_utf8(text.substr(i, 2));
      ++i;
    } else {
      append_utf8(out, c);
    }
  }
  return out + "\"";
}

std::string format_plain(const Variant& value) {
  if (!value.is_array()) return plain_scalar(value);
  std::string out;
  for_each_row(
      value.array_value(),
      [&](const Variant& cell, bool first_in_row) {
        if (!first_in_row) out += '\t';
        out += plain_scalar(cell);
      },
      [&](bool last) {
        if (!last) out += '\n';
      });
  return out;
}

std::string format_json(const Variant& value) {
  switch (value.type()) {
    case VariantType::empty:
      return "null";
    case VariantType::null:
      return R"({"null":true})";
    case VariantType::boolean:
      return value.boolean_value() ? "true" : "false";
    case VariantType::text:
      return json_string(value.text_value());
    case VariantType::error:
      return R"({"error":")" + error_text(value.error_code()) + "\"}";
    case VariantType::date:
      return R"({"date":)" + json_string(format_date(value.numeric_value())) + "}";
    case VariantType::object:
      return R"({"cell":)" +
             (value.object_value() ? format_json(value.object_value()->Value()) : "null") + "}";
    case VariantType::array:
      return json_array(value.array_value());
    default:
      return json_number(value.numeric_value());
  }
}

}  // namespace kestrune::cli
