// The shared call tables through IDispatch::Invoke: each call is read with the command line's
// own parser, its arguments become VARIANTs (a CELL(...) an IDispatch whose value is read
// through DISPID_VALUE, an array a SAFEARRAY indexed from 1), and the member's answer is written
// as the command line's JSON and compared with the table's. Every call runs twice, with the
// arguments passed by value and by reference (VT_BYREF|VT_VARIANT, as VBA passes variables).
#include <memory>

#include "automation/member_table.hpp"
#include "base/utf8.hpp"
#include "call_table.hpp"
#include "checks.hpp"
#include "cli/call_parser.hpp"
#include "cli/output.hpp"

namespace kestrune::client {
namespace {

// The answer as the command line writes it.
std::string answer_json(const Invocation& answer) {
  if (answer.answered()) return cli::format_json(answer.variant());
  if (answer.result == DISP_E_EXCEPTION) {
    return R"({"failure":)" + cli::json_string(answer.description) + "}";
  }
  return R"({"hresult":")" + hresult_text(answer.result) + "\"}";
}

std::string run_call(IDispatch& object, const cli::ParsedCall& call, bool by_reference) {
  const DISPID member = dispatch_id(object, from_utf8(call.name));
  if (member == DISPID_UNKNOWN) return "no member " + call.name;
  std::vector<Variant> arguments = call.arguments;
  const MemberInfo* described = find_member(call.name);
  if (described != nullptr && described->gathers_list()) {
    Array list = Array::one_dimensional(arguments.size(), 0);
    for (std::size_t i = 0; i < arguments.size(); ++i) list.elements()[i] = arguments[i];
    arguments = {Variant::array(std::move(list))};
  }
  std::vector<std::unique_ptr<OwnedVariant>> values;
  std::vector<VARIANT> references(arguments.size());
  std::vector<VARIANT*> passed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    values.push_back(std::make_unique<OwnedVariant>(arguments[i]));
    references[i] = reference_to(*values.back()->get());
    passed.push_back(by_reference ? &references[i] : values.back()->get());
  }
  return answer_json(invoke(object, member, passed));
}

void run_table(IDispatch& object, const std::string& path, const test::CallTable& table,
               Checks& checks) {
  for (const test::CallCase& c : table.cases) {
    const cli::ParsedCall call = cli::parse_call(from_utf8(c.call));
    if (!call.error.empty()) {
      checks.expect(false, path + ":" + std::to_string(c.line) + ": " + call.error);
      continue;
    }
    for (bool by_reference : {false, true}) {
      const std::string got = run_call(object, call, by_reference);
      checks.expect(got == c.expected_json, path + ":" + std::to_string(c.line) + ": " + c.call +
                                                (by_reference ? " (by reference)" : " (by value)") +
                                                " gave " + got + ", expected " + c.expected_json);
    }
  }
}

}  // namespace

// A table file must suit this locale's decimal separator; a page's blocks written for another
// separator wait for the run in a locale that has it.
void run_call_table(IDispatch& object, const std::string& path, Checks& checks) {
  const bool page = path.ends_with(".md");
  const std::string separator = user_decimal_separator();
  for (const test::CallTable& table : test::read_call_tables(path)) {
    checks.expect(table.error.empty(), "the table can be read: " + table.error);
    if (!table.error.empty()) continue;
    if (page && separator != table.decimal_separator) continue;
    checks.expect(separator == table.decimal_separator,
                  path + " needs the decimal separator \"" + table.decimal_separator +
                      "\"; this locale has \"" + separator + "\"");
    if (separator == table.decimal_separator) run_table(object, path, table, checks);
  }
}

}  // namespace kestrune::client
