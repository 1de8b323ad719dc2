// krREGEX's body: a regular expression written by the user, applied to a text.
//
// One call either reports on the matches (the first match's position, length or text, the
// number of matches, or arrays of the positions, lengths or texts of all matches; chosen by
// return_type 1 to 7) or returns the text with the first (0) or every (-1) match replaced. A
// text without a match and every failure answer the caller's not_found_return. The arguments
// are the member's, by reference: defaults are written into the omitted ones. The matcher is the
// calling object's: its pattern, case rule and Global are set anew on every call.
//
//   RegExp matcher;
//   Variant text = Variant::text(u"a1b22"), regex = Variant::text(u"[0-9]+");
//   Variant missing = Variant::missing(), type = Variant::number(4), nf = Variant::missing();
//   apply_regex(matcher, text, regex, missing, missing, type, nf);   // 2 matches
#pragma once

#include "regexp/regexp.hpp"
#include "variant/variant.hpp"

namespace kestrune {

Variant apply_regex(RegExp& matcher, Variant& string_to_search, Variant& regex,
                    Variant& case_sensitive, Variant& replace_text, Variant& return_type,
                    Variant& not_found_return);

}  // namespace kestrune
