// Checks of the host integration under a real message loop: the description run against a
// stand-in for the running host, krHelpfilePath after registration, and the About dialog.
//
//   check_host_integration(u"C:\\Tools\\Addins", checks);   // the folder regsvr32 was given
#pragma once

#include <string>

#include "client_support.hpp"

namespace kestrune::client {

void check_host_integration(const std::u16string& registered_folder, Checks& checks);

// The "opened" mode of the client, which the shell runs for an https address during the
// About dialog's check: keeps the address where read_opened_record finds it.
void record_opened(const std::u16string& address);
std::u16string read_opened_record();

}  // namespace kestrune::client
