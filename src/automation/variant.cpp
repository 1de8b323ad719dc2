#include "automation/variant.hpp"

#include "automation/failure.hpp"

namespace kestrune {

Variant Variant::null() { return Variant(VariantType::null, std::monostate{}); }
Variant Variant::number(double value) { return Variant(VariantType::r8, value); }
Variant Variant::i2(std::int16_t value) { return Variant(VariantType::i2, double(value)); }
Variant Variant::i4(std::int32_t value) { return Variant(VariantType::i4, double(value)); }
Variant Variant::r4(float value) { return Variant(VariantType::r4, double(value)); }
Variant Variant::date(double ole_date) { return Variant(VariantType::date, ole_date); }
Variant Variant::text(std::u16string value) { return Variant(VariantType::text, std::move(value)); }
Variant Variant::boolean(bool value) { return Variant(VariantType::boolean, value); }
Variant Variant::error(std::uint32_t code) { return Variant(VariantType::error, code); }
Variant Variant::object(std::shared_ptr<const Object> value) {
  return Variant(VariantType::object, std::move(value));
}
Variant Variant::array(Array value) {
  return Variant(VariantType::array, ArrayBox(std::move(value)));
}

bool Variant::is_numeric() const {
  switch (type_) {
    case VariantType::i2:
    case VariantType::i4:
    case VariantType::r4:
    case VariantType::r8:
    case VariantType::date:
      return true;
    default:
      return false;
  }
}

double Variant::numeric_value() const { return std::get<double>(value_); }

const std::shared_ptr<const Object>& Variant::object_value() const {
  return std::get<std::shared_ptr<const Object>>(value_);
}

const Array& Variant::array_value() const { return *std::get<ArrayBox>(value_).array; }
Array& Variant::array_value() { return *std::get<ArrayBox>(value_).array; }

Variant::ArrayBox::ArrayBox(Array value) : array(std::make_unique<Array>(std::move(value))) {}
Variant::ArrayBox::ArrayBox(const ArrayBox& other) : array(std::make_unique<Array>(*other.array)) {}
Variant::ArrayBox& Variant::ArrayBox::operator=(const ArrayBox& other) {
  if (this != &other) array = std::make_unique<Array>(*other.array);
  return *this;
}
Variant::ArrayBox::~ArrayBox() = default;

bool operator==(const Variant::ArrayBox& a, const Variant::ArrayBox& b) {
  return *a.array == *b.array;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type_ != b.type_) return false;
  return a.value_ == b.value_ ||
         (a.is_numeric() && a.numeric_value() != a.numeric_value() &&
          b.numeric_value() != b.numeric_value());  // NaN equals NaN for test purposes
}

Array Array::one_dimensional(std::size_t count, std::int32_t lower) {
  return with_bounds({ArrayBound{lower, count}});
}

Array Array::two_dimensional(std::size_t rows, std::size_t columns, std::int32_t lower) {
  return with_bounds({ArrayBound{lower, rows}, ArrayBound{lower, columns}});
}

Array Array::with_bounds(std::vector<ArrayBound> bounds) {
  Array array;
  std::size_t total = bounds.empty() ? 0 : 1;
  for (const ArrayBound& bound : bounds) total *= bound.count;
  array.bounds_ = std::move(bounds);
  array.elements_.resize(total);
  return array;
}

std::size_t Array::offset(std::int32_t row, std::int32_t column) const {
  if (bounds_.size() != 2) fail("the array does not have two dimensions");
  const std::int64_t r = std::int64_t(row) - bounds_[0].lower;
  const std::int64_t c = std::int64_t(column) - bounds_[1].lower;
  if (r < 0 || c < 0 || std::uint64_t(r) >= bounds_[0].count ||
      std::uint64_t(c) >= bounds_[1].count) {
    fail(FailureKind::subscript);
  }
  return std::size_t(r) * bounds_[1].count + std::size_t(c);
}

Variant& Array::at(std::int32_t row, std::int32_t column) { return elements_[offset(row, column)]; }
const Variant& Array::at(std::int32_t row, std::int32_t column) const {
  return elements_[offset(row, column)];
}

Variant& Array::at(std::int32_t index) {
  return const_cast<Variant&>(static_cast<const Array&>(*this).at(index));
}

const Variant& Array::at(std::int32_t index) const {
  if (bounds_.size() != 1) fail("the array does not have one dimension");
  const std::int64_t i = std::int64_t(index) - bounds_[0].lower;
  if (i < 0 || std::uint64_t(i) >= bounds_[0].count) fail(FailureKind::subscript);
  return elements_[std::size_t(i)];
}

bool operator==(const Array& a, const Array& b) {
  if (a.element_type_ != b.element_type_ || a.bounds_.size() != b.bounds_.size()) return false;
  for (std::size_t i = 0; i < a.bounds_.size(); ++i) {
    if (a.bounds_[i].lower != b.bounds_[i].lower || a.bounds_[i].count != b.bounds_[i].count) {
      return false;
    }
  }
  return a.elements_ == b.elements_;
}

}  // namespace kestrune
