// Where the help file kestrune.chm lies: beside the registered component file.
//
//   std::u16string path = help_file_path();   // "C:\Tools\Addins\kestrune.chm"
#pragma once

#include <string>

namespace kestrune {

// The folder of the component file named in its registration record, or, when the record
// cannot be read, of the module this code was loaded from, followed by the help file's name
// after the folder's own separator.
std::u16string help_file_path();

}  // namespace kestrune
