// ReadFilterArguments: the open argument list of a character filter, split into the text to
// work on and the items (the texts to remove or keep).
//
// Each argument is read as text; a multi-cell range (a two-dimensional array) gives its cells
// row by row. The first non-empty text is the text to work on and every later non-empty text is
// an item. An error value given as an argument reads as "#VALUE!" and is rewritten so in the
// list, which is why the filters hand over a copy.
//
//   Array list = Array::one_dimensional(3, 0);
//   list.at(0) = Variant::text(u"abc");
//   list.at(1) = Variant::text(u"");
//   list.at(2) = Variant::number(12);
//   FilterArguments split = ReadFilterArguments(list);   // text "abc", items {"12"}
//
// A Failure: an array argument that does not have exactly two dimensions or whose elements are
// not Variants, and a cell of a range without a text form (an error value, a null).
#pragma once

#include <string>
#include <vector>

#include "variant/variant.hpp"

namespace kestrune {

struct FilterArguments {
  std::u16string text;
  std::vector<std::u16string> items;  // never empty texts; in reading order
};

// `arguments`: the list's elements in index order, whatever its bounds.
FilterArguments ReadFilterArguments(Array& arguments);

}  // namespace kestrune
