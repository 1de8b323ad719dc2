// The one place where the host's XLOPER12 values and kestrune's Variants meet, both ways.
//
// Arguments: an omitted one is the missing-argument marker, a blank cell empty, numbers,
// texts, truth values and error values as themselves, a range or array a 2-D array indexed
// from 1. Results: texts of up to kMaxTextUnits units (a longer one is #VALUE!), arrays as
// xltypeMulti (a one-dimensional one as a row), a number without a worksheet form (infinite,
// NaN) as #NUM!, null as #N/A, an error code the worksheet has no name for as #VALUE!.
//
//   Variant text = from_xloper(*argument);
//   Xloper12* answer = to_result(member_answer);     // this thread's result slot
//   ... the host reads it, then calls xlAutoFree12 when it carries kBitDLLFree:
//   free_result(*answer);
#pragma once

#include "variant/variant.hpp"
#include "xll/host_api.hpp"

namespace kestrune::xll {

Variant from_xloper(const Xloper12& value);

// Writes `value` into this thread's result slot and returns it. Short texts live in the slot
// itself; long texts and arrays are heap blocks marked kBitDLLFree, for free_result.
Xloper12* to_result(const Variant& value);

// Gives back the heap block of a result that to_result marked kBitDLLFree.
void free_result(Xloper12& result);

}  // namespace kestrune::xll
