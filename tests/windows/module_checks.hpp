// Checks of the generated add-in module kestrune.bas against the compiled type library: each
// worksheet function declares its member's parameters (names, Optional, a ParamArray for an
// array parameter) and forwards them in order to the one lazily created object, and
// More_Information opens the path krHelpfilePath gives.
//
//   check_addin_module(u"kestrune.bas", *kestrune, checks);
#pragma once

#include <string>

#include "client_support.hpp"

namespace kestrune::client {

void check_addin_module(const std::u16string& path, IDispatch& object, Checks& checks);

}  // namespace kestrune::client
