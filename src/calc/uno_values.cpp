#include "calc/uno_values.hpp"

#include <com/sun/star/uno/Sequence.hxx>
#include <memory>
#include <string>
#include <utility>

#include "base/failure.hpp"
#include "variant/conversions.hpp"

namespace kestrune::calc {
namespace {

using Rows = css::uno::Sequence<css::uno::Sequence<css::uno::Any>>;

// A cell of a range: blanks arrive as empty strings, as do texts that are empty.
Variant scalar_from_any(const css::uno::Any& value) {
  switch (value.getValueTypeClass()) {
    case css::uno::TypeClass_VOID:
      return Variant();
    case css::uno::TypeClass_STRING:
      return Variant::text(text_of(*static_cast<const rtl::OUString*>(value.getValue())));
    case css::uno::TypeClass_BOOLEAN:
      return Variant::boolean(*static_cast<const sal_Bool*>(value.getValue()));
    default:
      break;
  }
  double number = 0;
  if (value >>= number) return Variant::number(number);
  fail(FailureKind::type_mismatch,
       std::string("Calc passed a value of type ") +
           rtl::OUStringToOString(value.getValueTypeName(), RTL_TEXTENCODING_UTF8).getStr());
}

Variant range_from_rows(const Rows& rows) {
  const std::size_t height = std::size_t(rows.getLength());
  const std::size_t width = height > 0 ? std::size_t(rows[0].getLength()) : 0;
  if (height == 1 && width == 1) return scalar_from_any(rows[0][0]);
  Array grid = Array::two_dimensional(height, width);
  for (std::size_t row = 0; row < height; ++row) {
    if (std::size_t(rows[sal_Int32(row)].getLength()) != width) {
      fail(FailureKind::type_mismatch, "the range's rows differ in length");
    }
    for (std::size_t column = 0; column < width; ++column) {
      grid.at(std::int32_t(row + 1), std::int32_t(column + 1)) =
          scalar_from_any(rows[sal_Int32(row)][sal_Int32(column)]);
    }
  }
  return Variant::object(std::make_shared<ValueObject>(Variant::array(std::move(grid))));
}

css::uno::Any element_any(const Variant& value) {
  if (value.is_empty() || value.is_null()) return css::uno::Any();
  return any_from_variant(value);
}

css::uno::Any rows_from_array(const Array& array) {
  const std::span<const ArrayBound> bounds = array.bounds();
  const bool one_row = bounds.size() == 1;
  if (!one_row && bounds.size() != 2) {
    fail(FailureKind::type_mismatch, "an answer of more than two dimensions");
  }
  const std::size_t height = one_row ? 1 : bounds[0].count;
  const std::size_t width = one_row ? bounds[0].count : bounds[1].count;
  Rows rows(static_cast<sal_Int32>(height));
  for (std::size_t row = 0; row < height; ++row) {
    css::uno::Sequence<css::uno::Any> cells(static_cast<sal_Int32>(width));
    for (std::size_t column = 0; column < width; ++column) {
      cells.getArray()[column] = element_any(array.element(row * width + column));
    }
    rows.getArray()[row] = std::move(cells);
  }
  return css::uno::Any(rows);
}

}  // namespace

std::u16string text_of(const rtl::OUString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.getStr()),
                        std::size_t(text.getLength()));
}

rtl::OUString ustring_of(std::u16string_view text) {
  return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.data()), sal_Int32(text.size()));
}

Variant variant_from_any(const css::uno::Any& value) {
  if (!value.hasValue()) return Variant::missing();
  Rows rows;
  if (value.getValueTypeClass() == css::uno::TypeClass_SEQUENCE && (value >>= rows)) {
    return range_from_rows(rows);
  }
  return scalar_from_any(value);
}

css::uno::Any any_from_variant(const Variant& value) {
  switch (value.type()) {
    case VariantType::empty:
    case VariantType::null:
      return css::uno::Any(rtl::OUString());
    case VariantType::text:
      return css::uno::Any(ustring_of(value.text_value()));
    case VariantType::boolean:
      return css::uno::Any(value.boolean_value() ? 1.0 : 0.0);
    case VariantType::array:
      return rows_from_array(value.array_value());
    case VariantType::object:
      return any_from_variant(dereference(value));
    case VariantType::error:
      fail(FailureKind::type_mismatch, "an error value has no Calc form");
    default:
      return css::uno::Any(value.numeric_value());
  }
}

}  // namespace kestrune::calc
