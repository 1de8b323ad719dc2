// The entry points of kestrune.dll: the four functions every self-registering in-process
// server exports (see kestrune.def).
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

STDAPI DllRegisterServer() { return kestrune::register_server(); }

STDAPI DllUnregisterServer() { return kestrune::unregister_server(); }
