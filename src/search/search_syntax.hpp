// The search syntax: wildcards, literals and regular-expression constructs, as the find text
// and the context texts are written, and the one pattern built from them.
//
//   translate_search_syntax(u"a*c")   == u"a.*?c"
//   translate_search_syntax(u"$5")    == u"\\$5"
//   build_search_pattern(u"x", u"y", u"z") == u"x(?=y)(?!z)"
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// "." "$" "+" become literals; "*" becomes ".*?" and "?" becomes "." unless the character
// written just before them is a backslash; everything else keeps its regular-expression meaning.
std::u16string translate_search_syntax(std::u16string_view text);

// The find text, then a look-ahead for the before-context and a negative one for the
// not-before-context where they are not empty; each translated.
std::u16string build_search_pattern(std::u16string_view find_text,
                                    std::u16string_view find_before_text,
                                    std::u16string_view find_not_before_text);

}  // namespace kestrune
