#include "client_support.hpp"

#include <cstdio>
#include <iostream>

#include "base/utf8.hpp"
#include "call_table.hpp"

namespace kestrune::client {

void Checks::expect(bool passed, const std::string& what) {
  if (passed) {
    ++passed_;
    return;
  }
  ++failed_;
  std::cout << "FAILED: " << what << std::endl;
}

int Checks::report() const {
  std::cout << passed_ << " passed, " << failed_ << " failed" << std::endl;
  return failed_ == 0 ? 0 : 1;
}

ComPtr<IDispatch> create_kestrune(Checks& checks) {
  CLSID class_id{};
  HRESULT result = CLSIDFromProgID(kProgId, &class_id);
  checks.expect_hresult(result, S_OK, "the ProgID Kestrune.clsKestrune is registered");
  if (FAILED(result)) return nullptr;
  ComPtr<IDispatch> object;
  result = CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
  checks.expect_hresult(result, S_OK, "clsKestrune can be created");
  return object;
}

DISPID dispatch_id(IDispatch& object, std::u16string_view name) {
  std::u16string copy(name);
  LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(copy.data())};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    return DISPID_UNKNOWN;
  }
  return id;
}

Invocation invoke(IDispatch& object, DISPID id, std::vector<VARIANT*> arguments,
                  const std::vector<std::pair<DISPID, VARIANT*>>& named) {
  // DISPPARAMS: named arguments first, then the positional ones from last to first. The
  // VARIANTs are copied shallowly; the caller keeps owning what they hold.
  std::vector<VARIANT> block;
  std::vector<DISPID> names;
  for (const auto& [name, value] : named) {
    block.push_back(*value);
    names.push_back(name);
  }
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) block.push_back(**it);
  DISPPARAMS parameters{block.data(), names.empty() ? nullptr : names.data(), UINT(block.size()),
                        UINT(names.size())};
  Invocation outcome;
  EXCEPINFO exception{};
  UINT argument_error = 0;
  outcome.result =
      object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                    &parameters, outcome.value.get(), &exception, &argument_error);
  if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
  const OwnedBstr description(exception.bstrDescription), source(exception.bstrSource),
      help_file(exception.bstrHelpFile);
  outcome.scode = exception.scode;
  outcome.description = from_BSTR(description.get());
  outcome.source = from_BSTR(source.get());
  return outcome;
}

CallerArguments::CallerArguments(const std::vector<Variant>& values, bool by_reference) {
  for (const Variant& value : values) {
    VARIANT* variable = variables_.emplace_back(value).get();
    VARIANT& reference = references_.emplace_back();
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = variable;
    passed_.push_back(by_reference ? &reference : variable);
  }
}

bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(std::min<long long>(left.count(), 50)),
                              QS_ALLINPUT);
  }
}

std::vector<TableCase> table_cases(const std::string& path, Checks& checks) {
  char separator[4] = {};
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
  std::vector<TableCase> cases;
  for (const test::CallTable& table : test::read_call_tables(path)) {
    checks.expect(table.error.empty(), "the table can be read: " + table.error);
    if (!table.error.empty() || (path.ends_with(".md") && separator != table.decimal_separator))
      continue;
    checks.expect(separator == table.decimal_separator,
                  path + " needs the decimal separator \"" + table.decimal_separator +
                      "\"; this locale has \"" + separator + "\"");
    if (separator != table.decimal_separator) continue;
    for (const test::CallCase& c : table.cases) {
      const std::string where = path + ":" + std::to_string(c.line) + ": " + c.call;
      cli::ParsedCall call = cli::parse_call(from_utf8(c.call));
      if (!call.error.empty()) checks.expect(false, where + ": " + call.error);
      if (call.error.empty()) cases.push_back({where, std::move(call), c.expected_json});
    }
  }
  return cases;
}

std::u16string text_of(const wchar_t* text) {
  return text == nullptr ? std::u16string()
                         : std::u16string(reinterpret_cast<const char16_t*>(text));
}

}  // namespace kestrune::client
