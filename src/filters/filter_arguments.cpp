#include "filters/filter_arguments.hpp"

#include "base/failure.hpp"
#include "variant/conversions.hpp"
#include "variant/mdl_constants.hpp"

namespace kestrune {
namespace {

constexpr std::size_t kRangeDimensions = 2;

void offer(std::u16string text, FilterArguments& split) {
  if (split.text.empty()) {
    split.text = std::move(text);
  } else if (!text.empty()) {
    split.items.push_back(std::move(text));
  }
}

// A range's cells, row by row (the order Array keeps its elements in).
void offer_range(const Array& range, FilterArguments& split) {
  if (range.dimensions() != kRangeDimensions) fail("an array argument must be a range of cells");
  if (range.element_type() != VariantType::variant) {
    fail(FailureKind::type_mismatch, "an array argument must hold Variants");
  }
  for (const Variant& cell : range.elements()) offer(to_text(cell), split);
}

}  // namespace

FilterArguments ReadFilterArguments(Array& arguments) {
  FilterArguments split;
  for (Variant& argument : arguments.elements()) {
    // A reference to cells is read through its value, so a multi-cell range arrives as its array.
    Variant value = dereference(argument);
    if (value.is_error()) {
      argument = Variant::text(std::u16string(mdl_Constants::value_error_text));
      value = argument;
    }
    if (value.is_array()) {
      offer_range(value.array_value(), split);
    } else {
      offer(to_text(value), split);
    }
  }
  return split;
}

}  // namespace kestrune
