#include "base/utf8.hpp"

#include <algorithm>
#include <cstddef>

namespace kestrune {
namespace {

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Writes one code point at out[at] (the sequence it came from is at least as long as the
// units written); returns the position after it.
std::size_t write_utf16(std::u16string& out, std::size_t at, char32_t code_point) {
  if (code_point < 0x10000) {
    out[at] = char16_t(code_point);
    return at + 1;
  }
  code_point -= 0x10000;
  out[at] = char16_t(0xD800 + (code_point >> 10));
  out[at + 1] = char16_t(0xDC00 + (code_point & 0x3FF));
  return at + 2;
}

// Decodes one sequence at bytes[i]; returns its length, or 0 when it is not well-formed.
std::size_t decode_one(std::string_view bytes, std::size_t i, char32_t& code_point) {
  const unsigned char lead = static_cast<unsigned char>(bytes[i]);
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, code_point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, code_point = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, code_point = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > bytes.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i + k]);
    if (!is_continuation(byte)) return 0;
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
  if (code_point < minimum || code_point > 0x10FFFF || surrogate) return 0;
  return length;
}

}  // namespace

void append_utf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out.push_back(char(code_point));
  } else if (code_point < 0x800) {
    out.push_back(char(0xC0 | (code_point >> 6)));
    out.push_back(char(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(char(0xE0 | (code_point >> 12)));
    out.push_back(char(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(char(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (code_point >> 18)));
    out.push_back(char(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(char(0x80 | (code_point & 0x3F)));
  }
}

std::u16string from_utf8(std::string_view bytes) {
  // An all-ASCII text, the common case, is widened byte to unit in one pass.
  const auto is_ascii = [](char byte) { return static_cast<unsigned char>(byte) < 0x80; };
  const auto first_other = std::find_if_not(bytes.begin(), bytes.end(), is_ascii);
  if (first_other == bytes.end()) return std::u16string(bytes.begin(), bytes.end());
  // Never more units than bytes: writing into a sized string skips push_back's checks.
  std::u16string text(bytes.size(), u'\0');
  std::size_t written = std::size_t(first_other - bytes.begin());
  std::copy(bytes.begin(), first_other, text.begin());
  for (std::size_t i = written; i < bytes.size();) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      text[written++] = char16_t(lead);
      ++i;
      continue;
    }
    char32_t code_point = 0;
    const std::size_t length = decode_one(bytes, i, code_point);
    if (length == 0) {
      text[written++] = kReplacementCharacter;
      ++i;
      while (i < bytes.size() && is_continuation(static_cast<unsigned char>(bytes[i]))) ++i;
    } else {
      written = write_utf16(text, written, code_point);
      i += length;
    }
  }
  text.resize(written);
  return text;
}

std::string to_utf8(std::u16string_view text) {
  // The ASCII start of the text, often all of it, is written unit to byte in one sized pass.
  const auto non_ascii =
      std::find_if(text.begin(), text.end(), [](char16_t unit) { return unit >= 0x80; });
  std::string bytes(text.begin(), non_ascii);  // each unit below 0x80 is its own byte
  if (non_ascii == text.end()) return bytes;
  const std::size_t ascii = std::size_t(non_ascii - text.begin());
  bytes.reserve(text.size() + (text.size() - ascii) * 2);
  for (std::size_t i = ascii; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (is_high_surrogate(unit) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
      append_utf8(bytes, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
      append_utf8(bytes, kReplacementCharacter);
    } else {
      append_utf8(bytes, unit);
    }
  }
  return bytes;
}

}  // namespace kestrune
