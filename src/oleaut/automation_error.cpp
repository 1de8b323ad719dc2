#include "oleaut/automation_error.hpp"

#include <wrl/client.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "base/failure.hpp"
#include "base/utf8.hpp"
#include "oleaut/variant_bridge.hpp"

namespace kestrune {
namespace {

using Microsoft::WRL::ComPtr;

HRESULT run_time_error(FailureKind kind) {
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<WORD>(kind));
}

struct Report {
  HRESULT code;
  std::u16string description;
};

Report classify_current_exception() noexcept {
  try {
    try {
      throw;
    } catch (const Failure& failure) {
      return {run_time_error(failure.kind()), from_utf8(failure.what())};
    } catch (const std::bad_alloc&) {
      return {E_OUTOFMEMORY, u"out of memory"};
    } catch (const std::exception& other) {
      return {E_UNEXPECTED, from_utf8(other.what())};
    } catch (...) {
      return {E_UNEXPECTED, u"unexpected failure"};
    }
  } catch (...) {  // no memory left for the description
    return {E_OUTOFMEMORY, {}};
  }
}

// The message travels in the thread's error object; without one the caller still gets the
// HRESULT.
void set_error_object(const Report& report) noexcept {
  ComPtr<ICreateErrorInfo> made;
  if (FAILED(CreateErrorInfo(&made))) return;
  made->SetSource(const_cast<LPOLESTR>(kErrorSource));
  // SetDescription copies the text and never writes to it.
  made->SetDescription(
      const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(report.description.c_str())));
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(made.As(&info))) SetErrorInfo(0, info.Get());
}

}  // namespace

HRESULT report_current_exception(EXCEPINFO* exception) noexcept {
  const Report report = classify_current_exception();
  set_error_object(report);
  if (exception == nullptr) return report.code;
  *exception = EXCEPINFO{};
  exception->scode = report.code;
  exception->bstrSource = SysAllocString(kErrorSource);
  exception->bstrDescription = SysAllocStringLen(
      reinterpret_cast<const OLECHAR*>(report.description.data()), UINT(report.description.size()));
  return DISP_E_EXCEPTION;
}

std::string hresult_text(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
  return text;
}

}  // namespace kestrune
