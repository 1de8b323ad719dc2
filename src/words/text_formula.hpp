// krCONCATULA's body: one operation between two numbers written as text ("5+3", "=2^10",
// "5>=3"), found with three searches of the formula at its first operator. A formula that is
// not such an operation, and every failure, answer "#VALUE!".
//
//   Variant formula = Variant::text(u"=7*3.5");
//   evaluate_text_formula(memory, formula);   // 24.5
#pragma once

#include "search/search_memory.hpp"
#include "variant/variant.hpp"

namespace kestrune {

Variant evaluate_text_formula(SearchMemory& memory, Variant& text_formula);

}  // namespace kestrune
