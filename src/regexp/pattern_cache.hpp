// A small per-thread cache of compiled patterns, keyed by pattern text and IgnoreCase.
//
// Worksheet calls create and drop their RegExp on every call; the cache spares them the
// translation and JIT compilation of a pattern they used a moment ago. A compiled pattern is
// immutable, so sharing it cannot change a result.
#pragma once

#include <memory>
#include <string_view>

#include "regexp/compiled_pattern.hpp"

namespace kestrune::regexp_internal {

// The compiled form of `source`, from the cache or compiled now (a Failure when it does not
// compile; failures are not cached).
std::shared_ptr<const CompiledPattern> compiled_pattern_for(std::u16string_view source,
                                                            bool ignore_case);

}  // namespace kestrune::regexp_internal
