// krEXCLUDE, krEXCLUDENOTNUM, krEXTRACT and krEXTRACTNUM: each copies its open argument list and
// hands the copy to its worker, so the caller's arguments are never changed. No fallback: a
// failure goes back to the caller.
#include "automation/cls_kestrune.hpp"
#include "filters/char_filters.hpp"

namespace kestrune {
namespace {

// A worksheet gathers the call's arguments into one array of Variants (any lower bound). Any
// other value is taken as a list of that one value.
Array copy_of_argument_list(const Variant& list) {
  if (list.is_array() && list.array_value().dimensions() == 1 &&
      list.array_value().element_type() == VariantType::variant) {
    return list.array_value();
  }
  Array single = Array::one_dimensional(1);
  single.at(1) = list;
  return single;
}

}  // namespace

std::u16string clsKestrune::krEXCLUDE(Variant& exclude_list) {
  Array copy = copy_of_argument_list(exclude_list);
  return ExcludeChars(copy, NumericSwitch::off);
}

std::u16string clsKestrune::krEXCLUDENOTNUM(Variant& exclude_list) {
  Array copy = copy_of_argument_list(exclude_list);
  return ExcludeChars(copy, NumericSwitch::on);
}

std::u16string clsKestrune::krEXTRACT(Variant& extract_list) {
  Array copy = copy_of_argument_list(extract_list);
  return ExtractChars(copy, NumericSwitch::off);
}

std::u16string clsKestrune::krEXTRACTNUM(Variant& extract_list) {
  Array copy = copy_of_argument_list(extract_list);
  return ExtractChars(copy, NumericSwitch::on);
}

}  // namespace kestrune
