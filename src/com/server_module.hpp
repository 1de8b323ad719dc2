// The server module: what kestrune.dll knows about itself as a whole.
//
// Its file path, the type information of _clsKestrune (loaded from the type library embedded in
// the module), and the counts that decide whether DllCanUnloadNow lets it go.
//
//   server_module::count_object(+1);             // an object was made
//   if (server_module::can_unload()) ...
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace kestrune::server_module {

// The full path of the module file; empty when it cannot be told.
std::wstring path();

// Live objects and class-factory locks (delta +1 or -1).
void count_object(int delta);
void count_lock(int delta);
// The first object of the process has been made: the thread that made it now holds forms,
// a timer window and thread-local state whose code lives in this module.
void note_thread_state();
// True only while no object, no lock and no thread state exist.
bool can_unload();

// The process-wide setup (the user's locale, the default host platform) done before the
// first object is made; safe to call from any thread, any number of times.
void prepare();

// The type information of _clsKestrune, with a reference for the caller.
HRESULT interface_type_info(ITypeInfo** info);
// The module's type library, with a reference for the caller.
HRESULT type_library(ITypeLib** library);

}  // namespace kestrune::server_module
