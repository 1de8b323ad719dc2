// Readable Variants in test failure messages: GoogleTest finds PrintTo by argument lookup.
//
//   EXPECT_EQ(result, Variant::text(u"abc"));   // on failure: text "abc" vs number 4
#pragma once

#include <cstdio>
#include <ostream>

#include "base/utf8.hpp"
#include "variant/variant.hpp"

namespace kestrune {

inline void PrintTo(const Variant& value, std::ostream* out) {
  switch (value.type()) {
    case VariantType::empty:
      *out << "empty";
      return;
    case VariantType::null:
      *out << "null";
      return;
    case VariantType::text:
      *out << "text \"" << to_utf8(value.text_value()) << '"';
      return;
    case VariantType::boolean:
      *out << (value.boolean_value() ? "TRUE" : "FALSE");
      return;
    case VariantType::error: {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", unsigned(value.error_code()));
      *out << "error " << code;
      return;
    }
    case VariantType::object:
      *out << "reference";
      return;
    case VariantType::array: {
      const Array& array = value.array_value();
      *out << "array";
      for (const ArrayBound& bound : array.bounds()) {
        *out << '[' << bound.lower << ".." << (bound.lower + std::int64_t(bound.count) - 1) << ']';
      }
      *out << " {";
      const char* separator = "";
      for (const Variant& element : array.elements()) {
        *out << separator;
        PrintTo(element, out);
        separator = ", ";
      }
      *out << '}';
      return;
    }
    default:
      *out << "number(type " << int(value.type()) << ") " << value.numeric_value();
      return;
  }
}

}  // namespace kestrune
