// The modes of com_client, each a set of checks of kestrune.dll as a client of the compiled
// server sees it.
#pragma once

#include <string>

#include "client_support.hpp"

namespace kestrune::client {

// The automation interface: the registration records and version block, the type library's
// identity, every member as compiled and as GetIDsOfNames finds it, arguments as COM callers
// pass them, failures as automation errors, a client in another apartment.
void check_interface(IDispatch& object, Checks& checks);

// A shared call table (tests/data/member_calls*.txt) through IDispatch::Invoke.
void run_call_table(IDispatch& object, const std::string& path, Checks& checks);

// The host integration under a real message loop: the description run against a stand-in for
// the running host, krHelpfilePath after registration in `registered_folder`, the About dialog.
void check_host_integration(const std::u16string& registered_folder, Checks& checks);
// What the shell runs for an https address during the About dialog's check: keeps the address.
void record_opened(const std::u16string& address);

// The generated add-in module kestrune.bas against the member table.
void check_addin_module(const std::u16string& path, Checks& checks);

// The records of `module_path` registered (or, with `registered` false, unregistered) for the
// current user alone: each under HKEY_CURRENT_USER\Software\Classes, none for the machine.
void check_user_registration(const std::u16string& module_path, bool registered, Checks& checks);
// The same records as the machine's registration leaves them under HKEY_CLASSES_ROOT.
void check_machine_registration(const std::u16string& module_path, Checks& checks);

}  // namespace kestrune::client
