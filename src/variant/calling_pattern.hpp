// The calling pattern of the worksheet members that answer failures with values.
//
// A member runs its work inside one of these; a failure raised anywhere in the work (including
// memory that cannot be had) becomes the member's fallback, so the host sees a value and never
// a failed call. Only designed failures do (see answer_or_fallback): a fault of the program
// still fails the call.
//
//   return answer_or_not_found_return(not_found_return, [&] { return TextSearch(args); });
//   return answer_or_value_error([&] { return count(...); });
#pragma once

#include "base/failure.hpp"
#include "variant/mdl_constants.hpp"
#include "variant/variant.hpp"

namespace kestrune {

// The text "#VALUE!", which a member without a not_found_return answers when it cannot work.
inline Variant value_error_answer() { return Variant::lasting_text(mdl_Constants::value_error); }

// On a failure: a copy of not_found_return as it stands when the failure is caught (the work
// may already have written its default into it).
template <class Work>
Variant answer_or_not_found_return(const Variant& not_found_return, Work&& work) {
  return answer_or_fallback(work, [&] { return not_found_return; });
}

// On a failure: the text "#VALUE!".
template <class Work>
Variant answer_or_value_error(Work&& work) {
  return answer_or_fallback(work, [] { return value_error_answer(); });
}

}  // namespace kestrune
