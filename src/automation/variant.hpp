// Variant: the tagged automation value that every worksheet argument and most results are.
//
// A Variant is empty (a blank cell), null, a number (double, or the integer, single and date
// kinds a caller may pass), a text of 16-bit units, a truth value, an error code, an object (a
// cell reference whose value may be a scalar or an array) or an array of Variants with its
// lower bounds. An omitted optional argument is the error value with code kMissingArgument.
//
//   Variant text = Variant::text(u"Order 42-A");
//   Variant missing = Variant::missing();
//   if (missing.is_missing()) missing = Variant::number(1);
//
// Reading a Variant as text, number or truth value is the job of conversions.hpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace kestrune {

// Automation type codes; the numbers are the platform's, so both builds and the command
// line's output agree on them.
enum class VariantType : std::uint16_t {
  empty = 0,
  null = 1,
  i2 = 2,
  i4 = 3,
  r4 = 4,
  r8 = 5,
  date = 7,
  text = 8,
  object = 9,
  error = 10,
  boolean = 11,
  variant = 12,
  array = 0x2000,  // flag: combined with the element type
};

// The code of an omitted optional argument.
inline constexpr std::uint32_t kMissingArgument = 0x80020004u;

// The worksheet's error values, as they travel through automation (0x800A0000 + the host's
// own number).
namespace worksheet_error {
inline constexpr std::uint32_t kNull = 0x800A07D0u;   // #NULL!
inline constexpr std::uint32_t kDiv0 = 0x800A07D7u;   // #DIV/0!
inline constexpr std::uint32_t kValue = 0x800A07DFu;  // #VALUE!
inline constexpr std::uint32_t kRef = 0x800A07E7u;    // #REF!
inline constexpr std::uint32_t kName = 0x800A07EDu;   // #NAME?
inline constexpr std::uint32_t kNum = 0x800A07F4u;    // #NUM!
inline constexpr std::uint32_t kNA = 0x800A07FAu;     // #N/A
}  // namespace worksheet_error

class Variant;
class Array;

// A cell reference: an object whose default value is read when the reference is used.
class Object {
 public:
  virtual ~Object() = default;
  virtual Variant Value() const = 0;
};

class Variant {
 public:
  Variant() = default;  // empty

  static Variant null();
  static Variant number(double value);  // a double (type r8)
  static Variant i2(std::int16_t value);
  static Variant i4(std::int32_t value);
  static Variant r4(float value);
  static Variant date(double ole_date);  // days since 30 December 1899
  static Variant text(std::u16string value);
  static Variant boolean(bool value);
  static Variant error(std::uint32_t code);
  static Variant missing() { return error(kMissingArgument); }
  static Variant object(std::shared_ptr<const Object> value);  // nullptr: Nothing
  static Variant array(Array value);

  VariantType type() const { return type_; }
  bool is_empty() const { return type_ == VariantType::empty; }
  bool is_null() const { return type_ == VariantType::null; }
  bool is_text() const { return type_ == VariantType::text; }
  bool is_boolean() const { return type_ == VariantType::boolean; }
  bool is_error() const { return type_ == VariantType::error; }
  bool is_object() const { return type_ == VariantType::object; }
  bool is_array() const { return type_ == VariantType::array; }
  bool is_missing() const { return is_error() && error_code() == kMissingArgument; }
  // Any of the numeric kinds: i2, i4, r4, r8 and date.
  bool is_numeric() const;

  // Accessors for the kind the value has; asking for another kind is a programming error
  // (std::bad_variant_access).
  double numeric_value() const;  // i2, i4, r4, r8 and date, as a double
  const std::u16string& text_value() const { return std::get<std::u16string>(value_); }
  bool boolean_value() const { return std::get<bool>(value_); }
  std::uint32_t error_code() const { return std::get<std::uint32_t>(value_); }
  const std::shared_ptr<const Object>& object_value() const;
  const Array& array_value() const;
  Array& array_value();

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  struct ArrayBox;
  friend bool operator==(const ArrayBox& a, const ArrayBox& b);
  struct ArrayBox {
    ArrayBox(Array value);
    ArrayBox(const ArrayBox& other);
    ArrayBox& operator=(const ArrayBox& other);
    ArrayBox(ArrayBox&&) noexcept = default;
    ArrayBox& operator=(ArrayBox&&) noexcept = default;
    ~ArrayBox();
    friend bool operator==(const ArrayBox& a, const ArrayBox& b);
    std::unique_ptr<Array> array;
  };
  using Storage = std::variant<std::monostate, double, std::u16string, bool, std::uint32_t,
                               std::shared_ptr<const Object>, ArrayBox>;

  Variant(VariantType type, Storage value) : type_(type), value_(std::move(value)) {}

  VariantType type_ = VariantType::empty;
  Storage value_;
};

// One dimension of an array: its lower bound and number of elements.
struct ArrayBound {
  std::int32_t lower = 1;
  std::size_t count = 0;
};

// An array of Variants with one or two dimensions. Elements of a two-dimensional array are
// addressed as (row, column) with the array's own bounds. element_type records what the caller
// declared the elements to be (a range's value is an array of Variant; a typed array of texts
// may arrive from other callers).
class Array {
 public:
  Array() = default;
  static Array one_dimensional(std::size_t count, std::int32_t lower = 1);
  static Array two_dimensional(std::size_t rows, std::size_t columns, std::int32_t lower = 1);
  static Array with_bounds(std::vector<ArrayBound> bounds);

  std::size_t dimensions() const { return bounds_.size(); }
  const std::vector<ArrayBound>& bounds() const { return bounds_; }
  std::size_t size() const { return elements_.size(); }

  Variant& at(std::int32_t index);  // one dimension
  const Variant& at(std::int32_t index) const;
  Variant& at(std::int32_t row, std::int32_t column);  // two dimensions
  const Variant& at(std::int32_t row, std::int32_t column) const;

  // Row by row for two dimensions, in index order for one.
  std::vector<Variant>& elements() { return elements_; }
  const std::vector<Variant>& elements() const { return elements_; }

  VariantType element_type() const { return element_type_; }
  void set_element_type(VariantType type) { element_type_ = type; }

  friend bool operator==(const Array& a, const Array& b);

 private:
  std::size_t offset(std::int32_t row, std::int32_t column) const;

  std::vector<ArrayBound> bounds_;
  std::vector<Variant> elements_;
  VariantType element_type_ = VariantType::variant;
};

// A cell reference whose value is fixed when it is made (what the command line and tests pass
// where a worksheet would pass a range).
class ValueObject final : public Object {
 public:
  explicit ValueObject(Variant value) : value_(std::move(value)) {}
  Variant Value() const override { return value_; }

 private:
  Variant value_;
};

}  // namespace kestrune
