// What the automation test client shares between its checks: counting checks, creating clsKestrune
// by its ProgID, one IDispatch::Invoke with its outcome, and pumping the thread's messages while
// the server's timer or dialog needs them.
//
//   Checks checks;
//   ComPtr<IDispatch> kestrune = create_kestrune(checks);
//   Invocation answer = invoke(*kestrune, u"krVERSION", {});
//   checks.expect(answer.text() == u"1.0", "krVERSION answers 1.0");
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <wrl/client.h>

#include <chrono>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.hpp"
#include "cli/call_parser.hpp"
#include "oleaut/automation_error.hpp"
#include "oleaut/variant_bridge.hpp"
#include "variant/variant.hpp"

namespace kestrune::client {

using Microsoft::WRL::ComPtr;

class Checks {
 public:
  // Counts one check; prints what failed.
  void expect(bool passed, const std::string& what);
  // Counts one check that `got` is `expected`; prints both when it is not.
  void expect_equal(const std::string& got, const std::string& expected, const std::string& what) {
    expect(got == expected, what + " (got " + got + ", expected " + expected + ")");
  }
  void expect_hresult(HRESULT got, HRESULT expected, const std::string& what) {
    expect_equal(hresult_text(got), hresult_text(expected), what);
  }
  // "N passed, M failed", and the exit status: 0 only when nothing failed.
  int report() const;

 private:
  int passed_ = 0;
  int failed_ = 0;
};

inline constexpr const wchar_t* kProgId = L"Kestrune.clsKestrune";

// A new clsKestrune by its ProgID; null (and a failed check) when it cannot be created.
ComPtr<IDispatch> create_kestrune(Checks& checks);

// The outcome of one IDispatch::Invoke.
struct Invocation {
  HRESULT result = E_FAIL;
  OwnedVariant value;
  SCODE scode = 0;  // from EXCEPINFO, for DISP_E_EXCEPTION
  std::u16string description;
  std::u16string source;

  Variant variant() const { return from_VARIANT(*value); }
  // The result when it is a text, else "".
  std::u16string text() const {
    return V_VT(&*value) == VT_BSTR ? from_BSTR(V_BSTR(&*value)) : u"";
  }
};

// The dispatch id of a member, or DISPID_UNKNOWN.
DISPID dispatch_id(IDispatch& object, std::u16string_view name);

// Invokes a member as a late-bound caller does: `arguments` in call order (passed as given, so
// VT_BYREF ones by reference), `named` for named arguments.
Invocation invoke(IDispatch& object, DISPID id, std::vector<VARIANT*> arguments,
                  const std::vector<std::pair<DISPID, VARIANT*>>& named = {});
inline Invocation invoke(IDispatch& object, std::u16string_view name,
                         std::vector<VARIANT*> arguments) {
  return invoke(object, dispatch_id(object, name), std::move(arguments));
}

// A caller's arguments as its variables, passed by value or, as VBA and VBScript pass
// variables, by reference (VT_BYREF|VT_VARIANT); afterwards each holds what the call left.
class CallerArguments {
 public:
  CallerArguments(const std::vector<Variant>& values, bool by_reference);
  const std::vector<VARIANT*>& passed() const { return passed_; }
  Variant variable(std::size_t index) const { return from_VARIANT(*variables_[index]); }

 private:
  std::deque<OwnedVariant> variables_;
  std::deque<VARIANT> references_;
  std::vector<VARIANT*> passed_;
};

// Dispatches this thread's messages until `done` holds or `limit` has passed; true when done.
bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds limit);
inline void pump_for(std::chrono::milliseconds duration) {
  pump_until([] { return false; }, duration);
}

// A case of a shared call table or of a reference page's example block, its call parsed.
struct TableCase {
  std::string where;  // "path:line: call"
  cli::ParsedCall call;
  std::string expected_json;
};

// The cases of a table or page for the user's decimal separator: a table written for another
// fails a check, a page's blocks written for another wait for a locale that has it. A call that
// cannot be read fails a check.
std::vector<TableCase> table_cases(const std::string& path, Checks& checks);
std::u16string text_of(const wchar_t* text);

}  // namespace kestrune::client
