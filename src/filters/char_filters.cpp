#include "filters/char_filters.hpp"

#include <algorithm>
#include <string_view>
#include <vector>

#include "base/failure.hpp"
#include "base/result_limits.hpp"
#include "filters/filter_arguments.hpp"
#include "filters/number_filter.hpp"
#include "variant/locale.hpp"

namespace kestrune {
namespace {

// One mark per character of `text` covered by an occurrence of an item. Occurrences of one item
// do not overlap each other; those of different items may.
std::vector<bool> mark_occurrences(std::u16string_view text,
                                   const std::vector<std::u16string>& items) {
  std::vector<bool> marked(text.size(), false);
  for (const std::u16string& item : items) {
    for (std::size_t at = text.find(item); at != std::u16string_view::npos;
         at = text.find(item, at + item.size())) {
      std::fill_n(marked.begin() + std::ptrdiff_t(at), item.size(), true);
    }
  }
  return marked;
}

// The first item, in list order, that the text continues with at `position`; nullptr if none.
const std::u16string* item_at(std::u16string_view text, std::size_t position,
                              const std::vector<std::u16string>& items) {
  const std::u16string_view rest = text.substr(position);
  for (const std::u16string& item : items) {
    if (rest.starts_with(item)) return &item;
  }
  return nullptr;
}

void append_extracted(std::u16string& output, std::u16string_view item) {
  require_result_length(output.size() + item.size());
  output.append(item);
}

}  // namespace

char16_t DecimalSeparator() { return decimal_separator(); }

std::u16string ExcludeChars(Array& arguments, NumericSwitch numeric) {
  const char16_t separator = DecimalSeparator();
  const FilterArguments split = ReadFilterArguments(arguments);
  const std::vector<bool> marked = mark_occurrences(split.text, split.items);
  std::u16string remaining;
  remaining.reserve(split.text.size());
  for (std::size_t i = 0; i < split.text.size(); ++i) {
    if (!marked[i]) remaining.push_back(split.text[i]);
  }
  if (numeric == NumericSwitch::off) return remaining;
  return number_characters(remaining, separator);
}

std::u16string ExtractChars(Array& arguments, NumericSwitch numeric) {
  const char16_t separator = DecimalSeparator();
  const FilterArguments split = ReadFilterArguments(arguments);
  std::u16string output;
  NumberFilter filter;
  // Every position is tried, also those inside an item just extracted, so overlapping
  // occurrences are all extracted.
  for (std::size_t i = 0; i < split.text.size(); ++i) {
    if (const std::u16string* item = item_at(split.text, i, split.items)) {
      append_extracted(output, *item);
    } else if (numeric == NumericSwitch::on) {
      filter.Feed(split.text[i], separator, output);
    }
  }
  if (numeric == NumericSwitch::on) filter.Finish(output);
  return output;
}

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

std::u16string exclude_from_list(const Variant& list, NumericSwitch numeric) {
  Array copy = copy_of_argument_list(list);
  return ExcludeChars(copy, numeric);
}

std::u16string extract_from_list(const Variant& list, NumericSwitch numeric) {
  Array copy = copy_of_argument_list(list);
  return ExtractChars(copy, numeric);
}

}  // namespace kestrune
