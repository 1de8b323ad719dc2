// Checks of the automation interface of clsKestrune: identity, members, arguments, results
// and failures.
//
//   check_interface(*kestrune, checks);
#pragma once

#include "client_support.hpp"

namespace kestrune::client {

void check_interface(IDispatch& object, Checks& checks);

}  // namespace kestrune::client
