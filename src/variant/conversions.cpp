#include "variant/conversions.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/failure.hpp"
#include "variant/locale.hpp"

namespace kestrune {
namespace {

// A cell reference whose value is itself a reference is followed this many times at most.
constexpr int kMaxReferenceDepth = 8;

// Automation dates run from 1 January 100 to 31 December 9999.
constexpr double kFirstDate = -657434.0;
constexpr double kLastDate = 2958466.0;  // exclusive: the day after 31 December 9999

std::u16string widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t ascii_lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool equals_ignoring_ascii_case(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

// Days since 30 December 1899 to a civil date (proleptic Gregorian).
struct CivilDate {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

CivilDate civil_from_ole_days(std::int64_t ole_days) {
  // 30 December 1899 is day -25569 of the Unix epoch count used by this algorithm.
  std::int64_t z = ole_days - 25569 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const unsigned day = unsigned(doy - (153 * mp + 2) / 5 + 1);
  const unsigned month = unsigned(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, day};
}

std::string format_time_of_day(std::int64_t seconds) {
  const std::int64_t hours = seconds / 3600;
  const std::int64_t minutes = seconds / 60 % 60;
  const std::int64_t secs = seconds % 60;
  const std::int64_t clock_hour = hours % 12 == 0 ? 12 : hours % 12;
  std::array<char, 32> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%lld:%02lld:%02lld %s",
                static_cast<long long>(clock_hour), static_cast<long long>(minutes),
                static_cast<long long>(secs), hours < 12 ? "AM" : "PM");
  return buffer.data();
}

}  // namespace

std::u16string format_number(double value, char16_t separator, int significant_digits) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value > 0 ? u"Infinity" : u"-Infinity";
  if (value == 0) return u"0";  // also for -0, which the platform writes as 0
  std::array<char, 64> buffer{};
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::general, significant_digits);
  if (error != std::errc()) fail("number cannot be written as text");
  std::u16string text;
  text.reserve(std::size_t(end - buffer.data()));
  for (const char* p = buffer.data(); p != end; ++p) {
    if (*p == '.') {
      text.push_back(separator);
    } else if (*p == 'e') {
      text.push_back(u'E');
    } else {
      text.push_back(char16_t(*p));
    }
  }
  return text;
}

std::u16string format_date(double ole_date) {
  if (!(ole_date >= kFirstDate && ole_date < kLastDate)) fail("date out of range");
  const double whole_days = std::trunc(ole_date);
  // Before 30 December 1899 the fraction still counts forwards from midnight.
  std::int64_t seconds = std::llround(std::fabs(ole_date - whole_days) * 86400.0);
  std::int64_t days = std::int64_t(whole_days);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += whole_days < 0 ? -1 : 1;
  }
  const std::string time = format_time_of_day(seconds);
  if (days == 0) return widen(time);  // a time alone (midnight included)
  const CivilDate date = civil_from_ole_days(days);
  std::string text =
      std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + std::to_string(date.year);
  if (seconds != 0) text += " " + time;
  return widen(text);
}

std::optional<double> parse_number(std::u16string_view text, char16_t separator) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && is_blank(text[begin])) ++begin;
  while (end > begin && is_blank(text[end - 1])) --end;

  std::string ascii;  // the number rewritten for from_chars: '.' as the point, no '+'
  ascii.reserve(end - begin);
  std::size_t i = begin;
  if (i < end && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') ascii.push_back('-');
    ++i;
  }
  std::size_t digits = 0;
  bool separator_seen = false;
  for (; i < end; ++i) {
    if (is_digit(text[i])) {
      ascii.push_back(char(text[i]));
      ++digits;
    } else if (text[i] == separator && !separator_seen) {
      ascii.push_back('.');
      separator_seen = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  bool negative_exponent = false;
  if (i < end && (text[i] == u'E' || text[i] == u'e')) {
    ascii.push_back('e');
    ++i;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
      negative_exponent = text[i] == u'-';
      ascii.push_back(char(text[i]));
      ++i;
    }
    std::size_t exponent_digits = 0;
    for (; i < end && is_digit(text[i]); ++i, ++exponent_digits) ascii.push_back(char(text[i]));
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != end) return std::nullopt;

  double value = 0;
  const auto [last, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (last != ascii.data() + ascii.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    if (!negative_exponent) return std::nullopt;  // overflow
    return ascii.front() == '-' ? -0.0 : 0.0;     // underflow reads as zero
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

std::optional<bool> parse_truth(std::u16string_view text, char16_t separator) {
  if (equals_ignoring_ascii_case(text, u"true") || equals_ignoring_ascii_case(text, u"#true#")) {
    return true;
  }
  if (equals_ignoring_ascii_case(text, u"false") || equals_ignoring_ascii_case(text, u"#false#")) {
    return false;
  }
  if (const std::optional<double> number = parse_number(text, separator)) return *number != 0;
  return std::nullopt;
}

Variant dereference(const Variant& value) {
  if (!value.is_object()) return value;
  Variant current = value;
  for (int depth = 0; current.is_object(); ++depth) {
    if (depth == kMaxReferenceDepth || !current.object_value()) {
      fail(FailureKind::object_not_set);
    }
    current = current.object_value()->Value();
  }
  return current;
}

std::u16string to_text(const Variant& value) {
  switch (value.type()) {
    case VariantType::empty:
      return u"";
    case VariantType::text:
      return value.text_value();
    case VariantType::boolean:
      return std::u16string(value.boolean_value() ? kTrueText : kFalseText);
    case VariantType::r4:  // a single keeps the 7 digits it has
      return format_number(value.numeric_value(), decimal_separator(), 7);
    case VariantType::i2:
    case VariantType::i4:
    case VariantType::r8:
      return format_number(value.numeric_value(), decimal_separator());
    case VariantType::date:
      return format_date(value.numeric_value());
    case VariantType::object:
      return to_text(dereference(value));
    default:
      fail(FailureKind::type_mismatch, "the value has no text form");
  }
}

std::u16string_view to_text_view(const Variant& value, std::u16string& storage) {
  if (value.is_text()) return value.text_value();
  storage = to_text(value);
  return storage;
}

double to_number(const Variant& value) {
  switch (value.type()) {
    case VariantType::empty:
      return 0;
    case VariantType::boolean:
      return value.boolean_value() ? -1 : 0;
    case VariantType::i2:
    case VariantType::i4:
    case VariantType::r4:
    case VariantType::r8:
    case VariantType::date:
      return value.numeric_value();
    case VariantType::text:
      if (const auto number = parse_number(value.text_value(), decimal_separator())) {
        return *number;
      }
      fail(FailureKind::type_mismatch, "the text is not a number");
    case VariantType::object:
      return to_number(dereference(value));
    default:
      fail(FailureKind::type_mismatch, "the value is not a number");
  }
}

bool to_truth(const Variant& value) {
  switch (value.type()) {
    case VariantType::empty:
    case VariantType::null:
      return false;
    case VariantType::boolean:
      return value.boolean_value();
    case VariantType::i2:
    case VariantType::i4:
    case VariantType::r4:
    case VariantType::r8:
    case VariantType::date:
      return value.numeric_value() != 0;
    case VariantType::text:
      if (const auto truth = parse_truth(value.text_value(), decimal_separator())) return *truth;
      fail(FailureKind::type_mismatch, "the text is not a truth value");
    case VariantType::object:
      return to_truth(dereference(value));
    default:
      fail(FailureKind::type_mismatch, "the value is not a truth value");
  }
}

std::int32_t round_to_whole(double value) {
  const double rounded = std::nearbyint(value);  // the default mode rounds half to even
  if (!(rounded >= double(std::numeric_limits<std::int32_t>::min()) &&
        rounded <= double(std::numeric_limits<std::int32_t>::max()))) {
    fail(FailureKind::overflow);
  }
  return std::int32_t(rounded);
}

bool equals_empty_text(const Variant& value) {
  if (value.is_object()) return equals_empty_text(dereference(value));
  if (value.is_text()) return value.text_value().empty();
  return to_text(value).empty();
}

bool equals_number(const Variant& value, double number) {
  if (value.is_object()) return equals_number(dereference(value), number);
  if (value.is_null()) return false;
  return to_number(value) == number;
}

}  // namespace kestrune
