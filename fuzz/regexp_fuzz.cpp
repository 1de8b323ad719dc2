// libFuzzer target for the regular-expression service: any pattern, text and replacement must
// give an answer or a Failure, never a crash, and the answers must hold together:
//   - Test is true exactly when Execute finds a match;
//   - matches lie inside the text, in order, without overlapping;
//   - replacing every match by "$&" gives the text back.
//
// Input: one byte of settings (bit 0 IgnoreCase, bit 1 Global), then the pattern, the text and
// the replacement separated by zero bytes. Bytes below 0x80 are ASCII units; the others stand
// for units that the translator treats specially (line breaks, case partners, surrogates).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/failure.hpp"
#include "regexp/regexp.hpp"

namespace {

constexpr char16_t kSpecialUnits[] = {
    0x2028, 0x2029, 0x0085, 0x00A0, 0xFEFF, 0x00E9, 0x00C9, 0x00DF, 0x1E9E,
    0x017F, 0x212A, 0x212B, 0x2126, 0x03C3, 0x03C2, 0x03A3, 0x0130, 0x0131,
    0xD83D, 0xDE00, 0x00B5, 0x039C, 0x01C5, 0x3000, 0xFFFF, 0x0000,
};

char16_t unit_of(std::uint8_t byte) {
  if (byte < 0x80) return byte;
  return kSpecialUnits[byte % (sizeof kSpecialUnits / sizeof kSpecialUnits[0])];
}

// The units up to the next zero byte (or the end), and the position after it.
std::u16string take_field(const std::uint8_t* data, std::size_t size, std::size_t& at) {
  std::u16string field;
  for (; at < size && data[at] != 0; ++at) field += unit_of(data[at]);
  ++at;
  return field;
}

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t at = 1;
  kestrune::RegExp re;
  re.IgnoreCase = data[0] & 1;
  re.Global = data[0] & 2;
  re.Pattern = take_field(data, size, at);
  const std::u16string text = take_field(data, size, at);
  const std::u16string replacement = take_field(data, size, at);
  try {
    const bool found = re.Test(text);
    const kestrune::MatchCollection matches = re.Execute(text);
    check(found == (matches.Count() > 0));
    check(re.Global || matches.Count() <= 1);
    std::size_t end = 0;
    for (const kestrune::Match& m : matches) {
      check(m.FirstIndex >= end && m.FirstIndex + m.Length <= text.size());
      check(m.Value == std::u16string_view(text).substr(m.FirstIndex, m.Length));
      end = m.FirstIndex + m.Length;
    }
    check(re.Replace(text, u"$&") == text);
    re.Replace(text, replacement);
  } catch (const kestrune::Failure&) {
    // an uncompilable pattern or a spent budget: an answer like any other
  }
  return 0;
}
