// Automation errors: how a failure inside the server reaches an automation caller.
//
// Nothing thrown inside the server crosses the COM boundary. The exception being handled
// becomes an HRESULT in the range of the host's run-time errors (0x800A0000 + the error
// number a VBA user knows: 13 for a type mismatch, 5 for an invalid call), and its message
// goes into the thread's error object, from which DispInvoke fills the caller's EXCEPINFO.
//
//   try { ... } catch (...) { return report_current_exception(); }
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace kestrune {

// The source that automation errors name.
inline constexpr const wchar_t* kErrorSource = L"Kestrune.clsKestrune";

// Call only inside a catch block. Sets the thread's error object and returns the HRESULT;
// with `exception`, also fills it and returns DISP_E_EXCEPTION, as IDispatch::Invoke does.
HRESULT report_current_exception(EXCEPINFO* exception = nullptr) noexcept;

// An HRESULT as messages show it: "0x80020005".
std::string hresult_text(HRESULT result);

}  // namespace kestrune
