// Readable Variants in test failure messages, written as the command line's JSON output writes
// them: GoogleTest finds PrintTo by argument lookup.
//
//   EXPECT_EQ(result, Variant::text(u"abc"));   // on failure: 4 vs "abc"
#pragma once

#include <ostream>

#include "cli/output.hpp"
#include "variant/variant.hpp"

namespace kestrune {

inline void PrintTo(const Variant& value, std::ostream* out) { *out << cli::format_json(value); }

}  // namespace kestrune
