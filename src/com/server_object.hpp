// The automation object clsKestrune: the COM face of kestrune::clsKestrune.
//
// It implements the dual interface _clsKestrune. Names are resolved through the type
// information of the embedded type library (DispGetIDsOfNames); Invoke and the vtable methods
// alike turn the caller's VARIANTs into Variants, call the member through the dispatch table,
// write the defaults the member put into its arguments back through the caller's references,
// and turn the result into a VARIANT or BSTR. A member that fails reports an automation error
// (EXCEPINFO for Invoke, the thread's error object for the vtable), never a C++ exception.
//
//   void* object = nullptr;
//   HRESULT made = create_server_object(IID_IDispatch, &object);
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace kestrune {

// Makes a new object and hands out the interface `iid`.
HRESULT create_server_object(REFIID iid, void** object);

}  // namespace kestrune
