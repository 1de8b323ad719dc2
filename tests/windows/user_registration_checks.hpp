// Checks of a registration for the current user alone (regsvr32 /n /i:user): every record,
// key by key, under HKEY_CURRENT_USER\Software\Classes and none for the machine; and, once
// unregistered (regsvr32 /u /n /i:user), every record gone.
//
//   check_user_registration(u"C:\\Tools\\Addins\\kestrune.dll", true, checks);
#pragma once

#include <string>

#include "client_support.hpp"

namespace kestrune::client {

void check_user_registration(const std::u16string& module_path, bool registered, Checks& checks);

}  // namespace kestrune::client
