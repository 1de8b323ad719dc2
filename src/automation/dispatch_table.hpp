// The dispatch table of clsKestrune: every member's name, dispatch id, slot, parameters and
// result kind, and how to invoke it with an argument list.
//
// The automation server and the command line both reach members through it, so a member is
// callable everywhere as soon as it is in the class.
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
#include "automation/variant.hpp"

namespace kestrune {

struct ParameterInfo {
  std::string_view name;
  bool optional;
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
  // Runs the member. `arguments` holds exactly one Variant per parameter (an omitted one as the
  // missing-argument marker); they are passed by reference, so defaults written by the member
  // are visible afterwards. A text result comes back as a text Variant, no result as empty.
  // Members without a fallback raise their Failure to the caller.
  Variant (*invoke)(clsKestrune& object, std::span<Variant> arguments);
};

// The sixteen members in slot order.
std::span<const MemberInfo> members();
// By name in any letter case, or by dispatch id; nullptr when there is none.
const MemberInfo* find_member(std::string_view name);
const MemberInfo* find_member(std::int32_t dispatch_id);

}  // namespace kestrune
