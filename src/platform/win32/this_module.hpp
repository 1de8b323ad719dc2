// The module (DLL or program) this code is linked into: where window classes are registered
// and whose file the component's location falls back on.
//
//   HINSTANCE module = this_module();
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

HINSTANCE this_module();
// Its full path; empty when it cannot be told.
std::u16string this_module_path();

}  // namespace kestrune
