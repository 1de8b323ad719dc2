// The worksheet functions of the add-in: each a procedure the host calls with XLOPER12
// arguments, forwarding to the same member of clsKestrune that the automation server calls,
// on an object of the calling thread's own (the host recalculates on many threads; nothing is
// locked on the way). Their registrations are derived from the member table.
//
//   // in an exported procedure of arity 3:
//   Xloper12* arguments[] = {a, b, c};
//   static const MemberInfo* const member = find_member("krST");
//   return call_worksheet_function(member, arguments);
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"
#include "xll/host_api.hpp"

namespace kestrune::xll {

// The arguments a list function takes (the text and its items, one by one): as many as one
// registration can give a help text each, next to its ten fixed fields.
inline constexpr std::size_t kListArguments = 245;

// The category the functions are listed under.
inline constexpr std::u16string_view kCategory = u"kestrune";
// The add-in's name in the host's add-in list.
inline constexpr std::u16string_view kAddInName = u"kestrune";

// How many XLOPER12 arguments the procedure of `member` takes.
std::size_t procedure_arity(const MemberInfo& member);

// Runs the member (nullptr: none, #VALUE!) with the host's arguments and returns this thread's
// result. Never throws: a member that fails answers #VALUE!, as a failing worksheet function
// does.
Xloper12* call_worksheet_function(const MemberInfo* member,
                                  std::span<Xloper12* const> arguments) noexcept;

// The texts one registration gives the host, in xlfRegister's order after the module path and
// before the per-argument help.
struct Registration {
  std::u16string procedure;      // the export's name
  std::u16string type_text;      // result and argument types; "$" for thread-safe
  std::u16string function_text;  // the name users type
  std::u16string argument_text;  // argument names, comma-separated
  std::u16string function_help;
  std::vector<std::u16string> argument_help;  // one per argument
};

// One registration per worksheet function of the member table, in slot order.
std::vector<Registration> registrations();

// An exported procedure: its name and how many arguments it takes.
struct Procedure {
  std::string_view name;
  std::size_t arity;
};

// Installs the user's locale and registers every function whose procedure is among `exported`
// with a matching arity (see xlAutoOpen), and removes them again with their names
// (xlAutoClose). Both call the host back and run on its main thread.
void register_functions(std::span<const Procedure> exported);
void unregister_functions();

}  // namespace kestrune::xll
