// The modes of com_client, each a set of checks of kestrune.dll as a client of the compiled
// server sees it; each file says what its checks cover.
#pragma once

#include <string>

#include "client_support.hpp"

namespace kestrune::client {

// `module_path` names the generated add-in module kestrune.bas.
void check_interface(IDispatch& object, const std::u16string& module_path, Checks& checks);

void run_call_table(IDispatch& object, const std::string& path, Checks& checks);

// `registered_folder` holds the registered kestrune.dll.
void check_host_integration(const std::u16string& registered_folder, Checks& checks);
// What the shell runs for an https address during the About dialog's check: keeps the address.
void record_opened(const std::u16string& address);

// The records of `module_path` for the machine or for the current user alone; with `registered`
// false, every record and key of it gone.
void check_registry_records(const std::u16string& module_path, bool for_user, bool registered,
                            Checks& checks);

}  // namespace kestrune::client
