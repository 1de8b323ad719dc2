// Self-registration: the records that let a client create clsKestrune by its ProgID and find
// its type library, for every user of the machine (DllRegisterServer, which needs an elevated
// prompt) or for the current user alone (DllInstall with "user", which does not).
//
// Under the scope's classes key (HKEY_CLASSES_ROOT, or HKEY_CURRENT_USER\Software\Classes):
// CLSID\{class id} with InprocServer32 (the module's full path, ThreadingModel Apartment),
// ProgID, VERSION and TypeLib; the ProgID Kestrune.clsKestrune with its Clsid; and the TypeLib
// and Interface records (through RegisterTypeLib for the machine).
//
//   HRESULT done = register_server(RegistrationScope::user);     // regsvr32 /n /i:user
#pragma once

#include <windows.h>

namespace kestrune {

enum class RegistrationScope { machine, user };

HRESULT register_server(RegistrationScope scope);
// Removes every record register_server writes; records already gone are no error.
HRESULT unregister_server(RegistrationScope scope);

}  // namespace kestrune
