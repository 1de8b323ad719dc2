#include "search/search_memory.hpp"

#include "search/search_syntax.hpp"

namespace kestrune {

const std::u16string& SearchMemory::translate(std::u16string_view find_text,
                                              std::u16string_view find_before_text,
                                              std::u16string_view find_not_before_text) {
  // Forget first, so that a translation that fails halfway leaves nothing half remembered.
  translated_ = false;
  matcher_holds_pattern_ = false;
  pattern_ = build_search_pattern(find_text, find_before_text, find_not_before_text);
  find_text_.assign(find_text);
  find_before_text_.assign(find_before_text);
  find_not_before_text_.assign(find_not_before_text);
  translated_ = true;
  return pattern_;
}

}  // namespace kestrune
