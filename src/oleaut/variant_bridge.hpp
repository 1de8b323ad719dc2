// The bridge between automation VARIANTs and kestrune::Variant, both ways.
//
// Every type the core models crosses: empty, null, the numeric kinds, dates, texts (BSTR),
// truth values, error codes (the missing-argument marker included), objects (a cell reference
// arrives as an IDispatch whose value is read through DISPID_VALUE) and arrays as SAFEARRAYs
// with their own lower bounds. Values passed by reference (VT_BYREF) are read through the
// reference, and a member's defaults are written back through it.
//
//   Variant value = from_VARIANT(*argument);        // follows VT_BYREF
//   ... the member may change value ...
//   write_back(*argument, value);                   // the caller sees the change
//   to_VARIANT(result_value, *result);              // a fresh VARIANT for the caller
//
// A VARIANT the core cannot hold (a record, a pointer kind) is a Failure.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

#include "variant/variant.hpp"

namespace kestrune {

// A VARIANT that clears itself.
class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value_); }
  explicit OwnedVariant(const Variant& value);
  ~OwnedVariant() { VariantClear(&value_); }
  OwnedVariant(OwnedVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT& operator*() const { return value_; }

 private:
  VARIANT value_;
};

// A BSTR that frees itself.
class OwnedBstr {
 public:
  explicit OwnedBstr(BSTR text = nullptr) : text_(text) {}
  ~OwnedBstr() { SysFreeString(text_); }
  OwnedBstr(const OwnedBstr&) = delete;
  OwnedBstr& operator=(const OwnedBstr&) = delete;

  BSTR get() const { return text_; }
  BSTR* receive() { return &text_; }  // for calls that hand back a BSTR
  BSTR release() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }

 private:
  BSTR text_;
};

// Texts: a BSTR holds 16-bit units and its own length (zero units included). Allocation
// failure is std::bad_alloc.
std::u16string from_BSTR(BSTR text);
BSTR to_BSTR(std::u16string_view text);

Variant from_VARIANT(const VARIANT& value);
// A SAFEARRAY of any element type as an Array with the same bounds; nullptr (an array that
// was never dimensioned) is an empty one-dimensional array.
Variant from_SAFEARRAY(const SAFEARRAY* array);

// Replaces `target` (cleared first) with `value`. Arrays become SAFEARRAYs of VARIANT (of BSTR
// when the array was declared to hold texts).
void to_VARIANT(const Variant& value, VARIANT& target);
SAFEARRAY* to_SAFEARRAY(const Array& array);

// Stores `value` where a by-reference argument points: into the caller's VARIANT for
// VT_BYREF|VT_VARIANT, converted to the caller's type for a typed reference (left unchanged
// when it has no such form), or into `argument` itself when it was passed by value.
void write_back(VARIANT& argument, const Variant& value);

}  // namespace kestrune
