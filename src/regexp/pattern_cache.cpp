#include "regexp/pattern_cache.hpp"

#include <algorithm>
#include <functional>
#include <vector>

#include "base/same_text.hpp"

namespace kestrune::regexp_internal {
namespace {

constexpr std::size_t kCachedPatterns = 32;

// Most recently used first.
class PatternCache {
 public:
  std::shared_ptr<const CompiledPattern> get(std::u16string_view source, bool ignore_case) {
    // A column of calls asks for one pattern over and over: the front entry needs no hash.
    if (!entries_.empty() && entries_.front().pattern->ignore_case() == ignore_case &&
        same_text(entries_.front().pattern->source(), source)) {
      return entries_.front().pattern;
    }
    const std::size_t hash = std::hash<std::u16string_view>{}(source);
    const auto hit = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
      return e.hash == hash && e.pattern->ignore_case() == ignore_case &&
             same_text(e.pattern->source(), source);
    });
    if (hit != entries_.end()) {
      std::rotate(entries_.begin(), hit, hit + 1);
      return entries_.front().pattern;
    }
    auto pattern = std::make_shared<const CompiledPattern>(source, ignore_case);
    if (entries_.size() == kCachedPatterns) entries_.pop_back();
    entries_.insert(entries_.begin(), Entry{hash, pattern});
    return pattern;
  }

 private:
  struct Entry {
    std::size_t hash;
    std::shared_ptr<const CompiledPattern> pattern;
  };
  std::vector<Entry> entries_;
};

}  // namespace

std::shared_ptr<const CompiledPattern> compiled_pattern_for(std::u16string_view source,
                                                            bool ignore_case) {
  thread_local PatternCache cache;
  return cache.get(source, ignore_case);
}

}  // namespace kestrune::regexp_internal
