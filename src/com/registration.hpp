// Self-registration: the records that let a client create clsKestrune by its ProgID and find
// its type library.
//
// Under HKEY_CLASSES_ROOT: CLSID\{class id} with InprocServer32 (the module's full path,
// ThreadingModel Apartment), ProgID, VERSION and TypeLib; the ProgID Kestrune.clsKestrune with
// its Clsid; and, through RegisterTypeLib, the TypeLib and Interface records.
//
//   HRESULT done = register_server();     // DllRegisterServer
#pragma once

#include <windows.h>

namespace kestrune {

HRESULT register_server();
// Removes every record register_server writes; records already gone are no error.
HRESULT unregister_server();

}  // namespace kestrune
