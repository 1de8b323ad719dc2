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
#include <initializer_list>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/inline_vector.hpp"

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

// A text made once for the whole run, which Variants refer to instead of copying: a default that
// is written into many arguments or answered by many calls, copied, moved and dropped as plain
// bits. Its characters are never freed, so a Variant that refers to them may outlive the
// LastingText itself.
//
//   static const LastingText kSeparator(u"( {1,}|\t{1,})");
//   argument.default_lasting_text(kSeparator);   // no memory taken
class LastingText {
 public:
  explicit LastingText(std::u16string_view text) : text_(new std::u16string(text)) {}
  const std::u16string& text() const { return *text_; }

 private:
  const std::u16string* text_;  // never deleted: see above
};

// A cell reference: an object whose default value is read when the reference is used.
class Object {
 public:
  virtual ~Object() = default;
  virtual Variant Value() const = 0;
};

class Variant {
 public:
  // Only a text, an object or an array owns anything; the other kinds copy as plain bits, inline.
  Variant() noexcept : type_(VariantType::empty), scalar_(0) {}
  Variant(const Variant& other) : type_(other.type_), scalar_(0) {
    if (owns(type_)) {
      copy_owned(other);
    } else {
      scalar_ = other.scalar_;
    }
  }
  Variant(Variant&& other) noexcept : type_(other.type_), scalar_(0) {
    if (type_ == VariantType::text) {  // texts are most of what is moved: inline too
      take_text(other);
    } else if (owns(type_)) {
      take_owned(other);
    } else {
      scalar_ = other.scalar_;
    }
  }
  Variant& operator=(const Variant& other) {
    if (owns(type_) || owns(other.type_)) return assign_owned(Variant(other));
    type_ = other.type_;
    scalar_ = other.scalar_;
    return *this;
  }
  Variant& operator=(Variant&& other) noexcept {
    if (!owns(type_) && other.type_ == VariantType::text) {  // a default or a cell written in
      type_ = VariantType::text;
      take_text(other);
      return *this;
    }
    if (owns(type_) || owns(other.type_)) return assign_owned(std::move(other));
    type_ = other.type_;
    scalar_ = other.scalar_;
    return *this;
  }
  ~Variant() {
    if (type_ == VariantType::text) {
      text_.~basic_string();
    } else if (owns(type_)) {
      release_owned();
    }
  }

  // Worksheet calls make, move and drop many small values: the makers of the common kinds are
  // inline.
  static Variant null() { return Variant(VariantType::null); }
  static Variant number(double value) { return numeric(VariantType::r8, value); }  // type r8
  static Variant i2(std::int16_t value) { return numeric(VariantType::i2, value); }
  static Variant i4(std::int32_t value) { return numeric(VariantType::i4, value); }
  static Variant r4(float value) { return numeric(VariantType::r4, value); }
  static Variant date(double ole_date) {  // days since 30 December 1899
    return numeric(VariantType::date, ole_date);
  }
  static Variant text(std::u16string value) {
    Variant v(VariantType::text);
    new (&v.text_) std::u16string(std::move(value));
    return v;
  }
  // A text that refers to a lasting one: copying it, moving it and dropping it take no memory.
  static Variant lasting_text(const LastingText& value) {
    Variant v(kLastingText);
    v.lasting_ = &value.text();
    return v;
  }
  static Variant boolean(bool value) {
    Variant v(VariantType::boolean);
    v.boolean_ = value;
    return v;
  }
  static Variant error(std::uint32_t code) {
    Variant v(VariantType::error);
    v.code_ = code;
    return v;
  }
  static Variant missing() { return error(kMissingArgument); }
  static Variant object(std::shared_ptr<const Object> value);  // nullptr: Nothing
  static Variant array(Array value);

  // An omitted argument given its default in place: the missing marker owns nothing, so the
  // default is written over it without the checks and the temporary of an assignment (a
  // worksheet call writes several on every call). Any other value is left as it is.
  void default_boolean(bool value) noexcept {
    if (!is_missing()) return;
    type_ = VariantType::boolean;
    scalar_ = 0;
    boolean_ = value;
  }
  void default_number(double value) noexcept {
    if (!is_missing()) return;
    type_ = VariantType::r8;
    number_ = value;
  }
  void default_text(std::u16string_view value) {
    if (!is_missing()) return;
    // The empty default, the most written, needs no copy.
    if (value.empty()) {
      new (&text_) std::u16string();
    } else {
      new (&text_) std::u16string(value);  // the marker stays if this fails
    }
    type_ = VariantType::text;
  }
  void default_lasting_text(const LastingText& value) noexcept {
    if (!is_missing()) return;
    type_ = kLastingText;
    lasting_ = &value.text();
  }

  // A lasting text is a text to every reader.
  VariantType type() const { return type_ == kLastingText ? VariantType::text : type_; }
  bool is_empty() const { return type_ == VariantType::empty; }
  bool is_null() const { return type_ == VariantType::null; }
  bool is_text() const { return type_ == VariantType::text || type_ == kLastingText; }
  bool is_boolean() const { return type_ == VariantType::boolean; }
  bool is_error() const { return type_ == VariantType::error; }
  bool is_object() const { return type_ == VariantType::object; }
  bool is_array() const { return type_ == VariantType::array; }
  bool is_missing() const { return is_error() && code_ == kMissingArgument; }
  // Any of the numeric kinds: i2, i4, r4, r8 and date.
  bool is_numeric() const {
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

  // Accessors for the kind the value has; asking for another kind is a programming error
  // (std::bad_variant_access).
  double numeric_value() const {  // i2, i4, r4, r8 and date, as a double
    if (!is_numeric()) wrong_kind();
    return number_;
  }
  const std::u16string& text_value() const {
    // An owned text reads as before; the rare lasting one is looked up out of line.
    if (type_ == VariantType::text) [[likely]]
      return text_;
    return lasting_text_value();
  }
  bool boolean_value() const {
    if (!is_boolean()) wrong_kind();
    return boolean_;
  }
  std::uint32_t error_code() const {
    if (!is_error()) wrong_kind();
    return code_;
  }
  const std::shared_ptr<const Object>& object_value() const {
    if (!is_object()) wrong_kind();
    return object_;
  }
  const Array& array_value() const {
    if (!is_array()) wrong_kind();
    return *array_;
  }
  Array& array_value() {
    if (!is_array()) wrong_kind();
    return *array_;
  }

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  // The kind of a text that refers to a LastingText. It owns nothing, so it copies as plain bits
  // like a number; no automation type has this code, and type() reports it as a text. It
  // differs from the text code in more than one bit, so that a test for a text is not compiled
  // into a masked comparison that every owned text then pays for.
  static constexpr VariantType kLastingText = VariantType(0x7fff);

  explicit Variant(VariantType type) noexcept : type_(type), scalar_(0) {}
  template <class Number>
  static Variant numeric(VariantType type, Number value) {
    Variant v(type);
    v.number_ = double(value);
    return v;
  }
  [[noreturn]] static void wrong_kind();
  const std::u16string& lasting_text_value() const;  // wrong_kind() unless a lasting text
  static bool owns(VariantType type) {
    return type == VariantType::text || type == VariantType::object || type == VariantType::array;
  }
  // Builds in *this the owned value (text, object or array) of `other`, copied or moved; *this
  // has other's kind and holds nothing yet.
  template <class Source>
  void build_owned(Source&& other);
  void copy_owned(const Variant& other);
  // Takes over the owned value of `other`, leaving it empty.
  void take_owned(Variant& other) noexcept;
  void take_text(Variant& other) noexcept {
    new (&text_) std::u16string(std::move(other.text_));
    other.text_.~basic_string();
    other.type_ = VariantType::empty;
    other.scalar_ = 0;
  }
  // Assignment where either side owns something.
  Variant& assign_owned(Variant&& other) noexcept;
  // Frees what *this owns; its kind is then to be set anew.
  void release_owned() noexcept;

  VariantType type_;
  union {
    std::uint64_t scalar_;  // the bits of the kinds below that own nothing, copied as a whole
    double number_;         // i2, i4, r4, r8 and date
    bool boolean_;
    std::uint32_t code_;
    std::u16string text_;
    const std::u16string* lasting_;  // kLastingText
    std::shared_ptr<const Object> object_;
    Array* array_;  // owned; null only once taken by a move
  };
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
//
// A grid that is mostly empty (a list answer spread over a row and a column) may be made
// sparse: it then holds only the elements set with set(), and costs nothing for its empty
// cells until its elements are asked for as a whole (elements(), or at() for writing), which
// lays it out like any other. Reading a sparse array from two threads at once is therefore not
// safe; reading element() or at() for reading never lays it out.
//
//   Array grid = Array::sparse_two_dimensional(2048, 2048);
//   grid.set(1, 1, Variant::text(u"a"));       // one element held, not 4,194,304
//   const Variant& corner = grid.element(0);   // "a", still sparse
class Array {
 public:
  Array() = default;
  static Array one_dimensional(std::size_t count, std::int32_t lower = 1);
  static Array two_dimensional(std::size_t rows, std::size_t columns, std::int32_t lower = 1);
  static Array sparse_two_dimensional(std::size_t rows, std::size_t columns,
                                      std::int32_t lower = 1);
  static Array with_bounds(std::span<const ArrayBound> bounds);
  static Array with_bounds(std::initializer_list<ArrayBound> bounds) {
    return with_bounds(std::span<const ArrayBound>(bounds.begin(), bounds.size()));
  }

  std::size_t dimensions() const { return bounds_.size(); }
  std::span<const ArrayBound> bounds() const { return {bounds_.data(), bounds_.size()}; }
  std::size_t size() const { return sparse_ ? sparse_->count : elements_.size(); }

  Variant& at(std::int32_t index);  // one dimension
  const Variant& at(std::int32_t index) const;
  Variant& at(std::int32_t row, std::int32_t column);  // two dimensions
  const Variant& at(std::int32_t row, std::int32_t column) const;
  // Sets one element of a two-dimensional array; a sparse one stays sparse.
  void set(std::int32_t row, std::int32_t column, Variant value);
  // The element at `offset` (row by row, from 0), read without laying out a sparse array.
  const Variant& element(std::size_t offset) const;

  // Row by row for two dimensions, in index order for one.
  std::vector<Variant>& elements() {
    lay_out();
    return elements_;
  }
  const std::vector<Variant>& elements() const {
    lay_out();
    return elements_;
  }

  VariantType element_type() const { return element_type_; }
  void set_element_type(VariantType type) { element_type_ = type; }

  friend bool operator==(const Array& a, const Array& b);

 private:
  // A sparse array's elements before it is laid out: how many it has, and those set, by
  // offset, the later of two for one offset holding.
  struct Sparse {
    std::size_t count = 0;
    std::vector<std::pair<std::size_t, Variant>> set;
  };

  std::size_t offset(std::int32_t row, std::int32_t column) const;
  void lay_out() const;

  InlineVector<ArrayBound, 2> bounds_;
  // Laying out changes how the elements are kept, not what they are: const readers may do it.
  mutable std::vector<Variant> elements_;
  mutable std::optional<Sparse> sparse_;
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
