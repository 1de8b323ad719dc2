// Evaluates one parsed call on a clsKestrune object through the dispatch table.
//
//   clsKestrune object;
//   Outcome outcome = evaluate(object, parse_call(u"krVERSION()"));
//   if (outcome.kind == Outcome::Kind::answered) print(outcome.result);
#pragma once

#include <string>

#include "automation/cls_kestrune.hpp"
#include "automation/variant.hpp"
#include "cli/call_parser.hpp"

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

}  // namespace kestrune::cli
