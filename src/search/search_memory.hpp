// SearchMemory: what one clsKestrune keeps from one search to the next, so that repeated work
// is done once. A worksheet fills a column with one find text, and krCONCATULA cuts every
// formula at the same operators: the pattern is translated from the search syntax only when the
// find text or a context changed, and the one matcher keeps its compiled pattern while the
// pattern stays the same. Nothing a caller can see depends on it.
//
// An object is called on one thread at a time (its apartment), and so is its memory.
//
//   SearchMemory memory;
//   const std::u16string& pattern = memory.pattern_for(u"a*c", u"", u"");   // "a.*?c"
//   RegExp& re = memory.matcher_for_pattern(/*ignore_case=*/false);
#pragma once

#include <string>
#include <string_view>

#include "base/same_text.hpp"
#include "regexp/regexp.hpp"
#include "variant/variant.hpp"

namespace kestrune {

class SearchMemory {
 public:
  // The pattern built from the find text and the two contexts (search_syntax.hpp).
  // A column of calls repeats its texts: the comparison with the last ones is inline.
  const std::u16string& pattern_for(std::u16string_view find_text,
                                    std::u16string_view find_before_text,
                                    std::u16string_view find_not_before_text) {
    if (translated_ && same_text(find_text, find_text_) &&
        same_text(find_before_text, find_before_text_) &&
        same_text(find_not_before_text, find_not_before_text_)) {
      return pattern_;
    }
    return translate(find_text, find_before_text, find_not_before_text);
  }

  // The matcher set to the pattern pattern_for answered last and to the case rule. A column of
  // calls asks for the same pattern over and over: it is compared and copied only when the
  // translation changed, and otherwise searches with the pattern compiled for the last call.
  RegExp& matcher_for_pattern(bool ignore_case) {
    if (matcher_holds_pattern_) {
      matcher_.reuse_compiled_pattern();
    } else {
      matcher_.set_pattern(pattern_);
      matcher_holds_pattern_ = true;
    }
    matcher_.IgnoreCase = ignore_case;
    return matcher_;
  }

  // Room for the text of one call reversed, to search from the right; reused from call to call.
  std::u16string& reversal_room() { return reversed_; }

 private:
  const std::u16string& translate(std::u16string_view find_text,
                                  std::u16string_view find_before_text,
                                  std::u16string_view find_not_before_text);

  bool translated_ = false;
  std::u16string find_text_, find_before_text_, find_not_before_text_;
  std::u16string pattern_;
  RegExp matcher_;
  bool matcher_holds_pattern_ = false;  // matcher_.Pattern is pattern_
  std::u16string reversed_;
};

}  // namespace kestrune
