// The member table: the one declaration of every member of clsKestrune, in slot order.
//
// Each row says what the automation interface fixes about a member (name, slot, dispatch id,
// parameters with their optional, by-reference and argument-list flags, result kind) and what
// the host shows of it (the description). Everything else is derived from it: the automation
// server's dispatch, the command line's arity and list handling, the tests that walk the
// members, and the generated reference and add-in files. A test checks the type library's
// source against it.
//
//   const MemberInfo* member = find_member("krsearch");          // any letter case
//   std::vector<Variant> args(member->parameters.size(), Variant::missing());
//   args[0] = Variant::text(u"a-b-c");
//   args[1] = Variant::text(u"-");
//   Variant result = member->invoke(object, args);               // 2
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "automation/cls_kestrune.hpp"
#include "variant/variant.hpp"

namespace kestrune {

// The most text a host's function dialog shows for one argument.
inline constexpr std::size_t kParameterHelpLimit = 255;

struct ParameterInfo {
  std::string_view name;
  bool optional;
  // What the argument means, its type and default, for the add-ins' function wizards and the
  // function reference: plain text of at most kParameterHelpLimit characters.
  std::string_view help;
  // Every parameter is passed by reference, so a member may write a default back into it.
  bool by_reference = true;
  // The list members' one parameter: a worksheet call's arguments gathered into one array.
  bool gathers_list = false;
};

enum class ResultKind {
  variant,  // a Variant
  text,     // a text (BSTR)
  nothing,  // no result
};

struct MemberInfo {
  int slot;  // 1-based, after the seven slots of IDispatch
  std::int32_t dispatch_id;
  std::string_view name;
  std::span<const ParameterInfo> parameters;
  ResultKind result;
  // The one-line description the host shows in its function dialog; empty for the members
  // the add-in does not describe.
  std::string_view description;
  // A one-line description of our own for the members the host texts leave undescribed; empty
  // where `description` says it.
  std::string_view summary;
  // Whether the add-in defines a worksheet function of this name that forwards to the member.
  bool worksheet_function;
  // Runs the member. `arguments` holds exactly one Variant per parameter (an omitted one as the
  // missing-argument marker); they are passed by reference, so defaults written by the member
  // are visible afterwards. A text result comes back as a text Variant, no result as empty.
  // Members without a fallback raise their Failure to the caller.
  Variant (*invoke)(clsKestrune& object, std::span<Variant> arguments);

  // The number of parameters a call must give.
  std::size_t required_parameters() const;
  // Whether the member takes the call's arguments gathered into its one list parameter.
  bool gathers_list() const;
  // The host's description, or the summary where the host has none.
  std::string_view one_line_description() const;
};

// The sixteen members in slot order.
std::span<const MemberInfo> members();
// By name in any letter case, or by dispatch id; nullptr when there is none.
const MemberInfo* find_member(std::string_view name);
const MemberInfo* find_member(std::int32_t dispatch_id);

}  // namespace kestrune
