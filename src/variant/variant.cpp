#include "variant/variant.hpp"

#include <type_traits>
#include <utility>
#include <variant>

#include "base/failure.hpp"

namespace kestrune {

Variant& Variant::assign_owned(Variant&& other) noexcept {
  if (this == &other) return *this;
  if (type_ == VariantType::array) {
    // `other` may live inside the array (one of its elements): take it out first.
    Variant moved(std::move(other));
    release_owned();
    type_ = VariantType::empty;
    return *this = std::move(moved);
  }
  if (owns(type_)) release_owned();  // a text or an object holds no Variant
  type_ = other.type_;
  if (owns(type_)) {
    take_owned(other);
  } else {
    scalar_ = other.scalar_;
  }
  return *this;
}

template <class Source>
void Variant::build_owned(Source&& other) {
  switch (other.type_) {
    case VariantType::text:
      new (&text_) std::u16string(std::forward<Source>(other).text_);
      break;
    case VariantType::object:
      new (&object_) std::shared_ptr<const Object>(std::forward<Source>(other).object_);
      break;
    case VariantType::array:
      if constexpr (std::is_lvalue_reference_v<Source>) {
        array_ = new Array(*other.array_);
      } else {
        array_ = std::exchange(other.array_, nullptr);
      }
      break;
    default:
      break;
  }
}

void Variant::copy_owned(const Variant& other) { build_owned(other); }

void Variant::take_owned(Variant& other) noexcept {
  if (other.type_ == VariantType::text) {
    take_text(other);
    return;
  }
  build_owned(std::move(other));
  other.release_owned();  // what is left of a moved object; a taken array is null
  other.type_ = VariantType::empty;
  other.scalar_ = 0;
}

void Variant::release_owned() noexcept {
  switch (type_) {
    case VariantType::text:
      text_.~basic_string();
      break;
    case VariantType::object:
      object_.~shared_ptr();
      break;
    case VariantType::array:
      delete array_;
      break;
    default:
      break;
  }
}

void Variant::wrong_kind() { throw std::bad_variant_access(); }

const std::u16string& Variant::lasting_text_value() const {
  if (type_ != kLastingText) wrong_kind();
  return *lasting_;
}

Variant Variant::object(std::shared_ptr<const Object> value) {
  Variant v(VariantType::object);
  new (&v.object_) std::shared_ptr<const Object>(std::move(value));
  return v;
}

Variant Variant::array(Array value) {
  Array* owned = new Array(std::move(value));
  Variant v(VariantType::array);
  v.array_ = owned;
  return v;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case VariantType::text:  // a lasting text equals an owned one with the same units
      return a.text_value() == b.text_value();
    case VariantType::object:
      return a.object_ == b.object_;
    case VariantType::array:
      return *a.array_ == *b.array_;
    case VariantType::boolean:
      return a.boolean_ == b.boolean_;
    case VariantType::error:
      return a.code_ == b.code_;
    default:
      if (!a.is_numeric()) return true;  // empty, null
      // NaN equals NaN for test purposes.
      return a.number_ == b.number_ || (a.number_ != a.number_ && b.number_ != b.number_);
  }
}

Array Array::one_dimensional(std::size_t count, std::int32_t lower) {
  const ArrayBound bounds[] = {{lower, count}};
  return with_bounds(bounds);
}

Array Array::two_dimensional(std::size_t rows, std::size_t columns, std::int32_t lower) {
  const ArrayBound bounds[] = {{lower, rows}, {lower, columns}};
  return with_bounds(bounds);
}

Array Array::sparse_two_dimensional(std::size_t rows, std::size_t columns, std::int32_t lower) {
  Array array;
  array.bounds_.push_back({lower, rows});
  array.bounds_.push_back({lower, columns});
  array.sparse_ = Sparse{rows * columns, {}};
  return array;
}

Array Array::with_bounds(std::span<const ArrayBound> bounds) {
  Array array;
  std::size_t total = bounds.empty() ? 0 : 1;
  array.bounds_.reserve(bounds.size());
  for (const ArrayBound& bound : bounds) {
    total *= bound.count;
    array.bounds_.push_back(bound);
  }
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

void Array::lay_out() const {
  if (!sparse_) return;
  elements_.resize(sparse_->count);
  for (auto& [place, value] : sparse_->set) elements_[place] = std::move(value);
  sparse_.reset();
}

const Variant& Array::element(std::size_t place) const {
  if (!sparse_) return elements_[place];
  const auto& set = sparse_->set;
  for (auto held = set.rbegin(); held != set.rend(); ++held) {
    if (held->first == place) return held->second;
  }
  static const Variant kEmptyCell;
  return kEmptyCell;
}

Variant& Array::at(std::int32_t row, std::int32_t column) {
  const std::size_t place = offset(row, column);
  lay_out();
  return elements_[place];
}

const Variant& Array::at(std::int32_t row, std::int32_t column) const {
  return element(offset(row, column));
}

void Array::set(std::int32_t row, std::int32_t column, Variant value) {
  const std::size_t place = offset(row, column);
  if (sparse_) {
    sparse_->set.emplace_back(place, std::move(value));
  } else {
    elements_[place] = std::move(value);
  }
}

Variant& Array::at(std::int32_t index) {
  lay_out();
  return const_cast<Variant&>(static_cast<const Array&>(*this).at(index));
}

const Variant& Array::at(std::int32_t index) const {
  if (bounds_.size() != 1) fail("the array does not have one dimension");
  const std::int64_t i = std::int64_t(index) - bounds_[0].lower;
  if (i < 0 || std::uint64_t(i) >= bounds_[0].count) fail(FailureKind::subscript);
  return element(std::size_t(i));
}

bool operator==(const Array& a, const Array& b) {
  if (a.element_type_ != b.element_type_ || a.bounds_.size() != b.bounds_.size()) return false;
  a.lay_out();
  b.lay_out();
  for (std::size_t i = 0; i < a.bounds_.size(); ++i) {
    if (a.bounds_[i].lower != b.bounds_[i].lower || a.bounds_[i].count != b.bounds_[i].count) {
      return false;
    }
  }
  return a.elements_ == b.elements_;
}

}  // namespace kestrune
