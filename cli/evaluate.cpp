#include "cli/evaluate.hpp"

#include <exception>

#include "automation/dispatch_table.hpp"

namespace kestrune::cli {
namespace {

// The list members take exactly one parameter that holds the whole argument list.
bool takes_argument_list(const MemberInfo& member) {
  return member.parameters.size() == 1 && (member.parameters[0].name == "exclude_list" ||
                                           member.parameters[0].name == "extract_list");
}

Variant gathered(std::vector<Variant> arguments) {
  Array list = Array::one_dimensional(arguments.size(), 0);
  for (std::size_t i = 0; i < arguments.size(); ++i) list.elements()[i] = std::move(arguments[i]);
  return Variant::array(std::move(list));
}

Outcome syntax(std::string message) {
  return {Outcome::Kind::syntax, Variant(), std::move(message)};
}

std::string arity_message(const MemberInfo& member) {
  std::size_t required = 0;
  for (const ParameterInfo& p : member.parameters) required += p.optional ? 0 : 1;
  return std::string(member.name) + " takes " + std::to_string(required) +
         (required == member.parameters.size()
              ? ""
              : " to " + std::to_string(member.parameters.size())) +
         " argument" + (member.parameters.size() == 1 ? "" : "s");
}

}  // namespace

Outcome evaluate(clsKestrune& object, ParsedCall call) {
  if (!call.error.empty()) return syntax(call.error);
  const MemberInfo* member = find_member(call.name);
  if (member == nullptr) return syntax("no member named " + call.name);

  std::vector<Variant> arguments = std::move(call.arguments);
  if (takes_argument_list(*member)) arguments = {gathered(std::move(arguments))};
  if (arguments.size() > member->parameters.size()) return syntax(arity_message(*member));
  arguments.resize(member->parameters.size(), Variant::missing());
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (!member->parameters[i].optional && arguments[i].is_missing()) {
      return syntax(arity_message(*member));
    }
  }
  try {
    return {Outcome::Kind::answered, member->invoke(object, arguments), ""};
  } catch (const std::exception& failure) {
    return {Outcome::Kind::failed, Variant(), failure.what()};
  }
}

}  // namespace kestrune::cli
