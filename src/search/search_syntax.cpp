#include "search/search_syntax.hpp"

namespace kestrune {

std::u16string translate_search_syntax(std::u16string_view text) {
  std::u16string pattern;
  pattern.reserve(text.size() + text.size() / 2);
  for (const char16_t c : text) {
    const bool escaped_by_user = !pattern.empty() && pattern.back() == u'\\';
    switch (c) {
      case u'.':
      case u'$':
      case u'+':
        pattern += u'\\';
        pattern += c;
        break;
      case u'*':
        pattern += escaped_by_user ? u"*" : u".*?";
        break;
      case u'?':
        pattern += escaped_by_user ? u'?' : u'.';
        break;
      default:
        pattern += c;
    }
  }
  return pattern;
}

std::u16string build_search_pattern(std::u16string_view find_text,
                                    std::u16string_view find_before_text,
                                    std::u16string_view find_not_before_text) {
  std::u16string pattern = translate_search_syntax(find_text);
  if (!find_before_text.empty()) {
    pattern += u"(?=" + translate_search_syntax(find_before_text) + u")";
  }
  if (!find_not_before_text.empty()) {
    pattern += u"(?!" + translate_search_syntax(find_not_before_text) + u")";
  }
  return pattern;
}

}  // namespace kestrune
