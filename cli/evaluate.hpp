// Evaluates one parsed call on a clsKestrune object through the dispatch table.
//
//   clsKestrune object;
//   Outcome outcome = evaluate(object, parse_call(u"krVERSION()"));
//   if (outcome.kind == Outcome::Kind::answered) print(outcome.result);
#pragma once

#include <span>
#include <string>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "automation/member_table.hpp"
#include "cli/call_parser.hpp"
#include "variant/variant.hpp"

namespace kestrune::cli {

struct Outcome {
  enum class Kind {
    answered,  // result holds the member's answer
    failed,    // the member raised a failure: message
    syntax,    // the call could not be read or made: message
  };
  Kind kind = Kind::answered;
  Variant result;
  std::string message;
};

// The list members receive all the call's arguments gathered into one array, lower bound 0,
// as a worksheet's open argument list arrives.
Outcome evaluate(clsKestrune& object, ParsedCall call);

// The two halves of evaluate, for a call made many times with other values in some slots
// (which must never be missing-argument markers where the written call had a value):
//
//   std::string error;
//   const MemberInfo* member = member_for(call, error);   // nullptr: error says why
//   Outcome outcome = call_member(object, *member, call.arguments);
//
// member_for finds the member the call names and checks the written arguments against its
// parameters; call_member gathers, pads and runs (answered or failed, never syntax).
const MemberInfo* member_for(const ParsedCall& call, std::string& error);
Outcome call_member(clsKestrune& object, const MemberInfo& member, std::vector<Variant> arguments);

// The last step of call_member: runs the member on arguments already laid out as its
// parameters (padded, or a list member's one gathered list).
Outcome run_member(clsKestrune& object, const MemberInfo& member, std::span<Variant> arguments);

}  // namespace kestrune::cli
