// The shared call tables through IDispatch::Invoke: each call is read with the command line's
// own parser, its arguments become VARIANTs (a CELL(...) an IDispatch whose value is read
// through DISPID_VALUE, an array a SAFEARRAY indexed from 1), and the member's answer is written
// as the command line's JSON and compared with the table's. Every call runs twice, with the
// arguments passed by value and by reference (VT_BYREF|VT_VARIANT, as VBA passes variables).
#include "automation/member_table.hpp"
#include "base/utf8.hpp"
#include "checks.hpp"
#include "cli/call_parser.hpp"
#include "cli/output.hpp"

namespace kestrune::client {
namespace {

// The answer as the command line writes it.
std::string answer_json(const Invocation& answer) {
  if (answer.result == S_OK) return cli::format_json(answer.variant());
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
  const CallerArguments passed(arguments, by_reference);
  return answer_json(invoke(object, member, passed.passed()));
}

}  // namespace

void run_call_table(IDispatch& object, const std::string& path, Checks& checks) {
  for (const TableCase& c : table_cases(path, checks)) {
    for (bool by_reference : {false, true}) {
      checks.expect_equal(run_call(object, c.call, by_reference), c.expected_json,
                          c.where + (by_reference ? " (by reference)" : " (by value)"));
    }
  }
}

}  // namespace kestrune::client
