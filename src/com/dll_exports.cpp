// The entry points of kestrune.dll: the four functions every self-registering in-process
// server exports, and DllInstall for a registration of the current user alone (see
// kestrune.def).
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include "com/class_factory.hpp"
#include "com/kestrune_h.h"
#include "com/registration.hpp"
#include "com/server_module.hpp"

STDAPI DllGetClassObject(REFCLSID class_id, REFIID iid, LPVOID* factory) {
  if (factory == nullptr) return E_POINTER;
  *factory = nullptr;
  if (class_id != CLSID_clsKestrune) return CLASS_E_CLASSNOTAVAILABLE;
  return kestrune::get_class_factory(iid, factory);
}

STDAPI DllCanUnloadNow() { return kestrune::server_module::can_unload() ? S_OK : S_FALSE; }

using kestrune::RegistrationScope;

STDAPI DllRegisterServer() { return kestrune::register_server(RegistrationScope::machine); }

STDAPI DllUnregisterServer() { return kestrune::unregister_server(RegistrationScope::machine); }

// regsvr32 /n /i:user kestrune.dll registers for the current user, without an elevated prompt;
// regsvr32 /u /n /i:user removes that registration.
STDAPI DllInstall(BOOL install, PCWSTR command_line) {
  if (command_line == nullptr ||
      CompareStringOrdinal(command_line, -1, L"user", -1, TRUE) != CSTR_EQUAL) {
    return E_INVALIDARG;
  }
  return install ? kestrune::register_server(RegistrationScope::user)
                 : kestrune::unregister_server(RegistrationScope::user);
}
