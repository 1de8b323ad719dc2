// Texts in the system's single-byte code page, for the Windows calls that take them (the "A"
// functions), and back.
//
//   std::string path = to_ansi(u"C:\\Tools");      // CP_ACP bytes
//   std::u16string text = from_ansi(path);
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

std::u16string from_ansi(std::string_view bytes);
// Characters the code page lacks become its default character.
std::string to_ansi(std::u16string_view text);

}  // namespace kestrune
