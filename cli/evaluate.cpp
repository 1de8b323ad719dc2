#include "cli/evaluate.hpp"

#include <exception>
#include <new>
#include <span>

#include "base/failure.hpp"
#include "cli/suggestion.hpp"

namespace kestrune::cli {
namespace {

Variant gathered(std::vector<Variant> arguments) {
  Array list = Array::one_dimensional(arguments.size(), 0);
  for (std::size_t i = 0; i < arguments.size(); ++i) list.elements()[i] = std::move(arguments[i]);
  return Variant::array(std::move(list));
}

Outcome syntax(std::string message) {
  return {Outcome::Kind::syntax, Variant(), std::move(message)};
}

std::string arity_message(const MemberInfo& member) {
  const std::size_t required = member.required_parameters();
  return std::string(member.name) + " takes " + std::to_string(required) +
         (required == member.parameters.size()
              ? ""
              : " to " + std::to_string(member.parameters.size())) +
         " argument" + (member.parameters.size() == 1 ? "" : "s");
}

// A required argument written as an empty slot: the call has enough arguments, one is blank.
std::string omitted_message(std::size_t index, const ParameterInfo& parameter) {
  return "argument " + std::to_string(index + 1) + " (" + std::string(parameter.name) +
         ") cannot be omitted";
}

}  // namespace

const MemberInfo* member_for(const ParsedCall& call, std::string& error) {
  if (!call.error.empty()) {
    error = call.error;
    return nullptr;
  }
  const MemberInfo* member = find_member(call.name);
  if (member == nullptr) {
    error = "no member named " + call.name + did_you_mean(call.name, member_names());
    return nullptr;
  }
  // A list member's one parameter is the gathered array, which is never missing.
  if (member->gathers_list()) return member;
  const std::span<const ParameterInfo> parameters = member->parameters;
  if (call.arguments.size() > parameters.size()) {
    error = arity_message(*member);
    return nullptr;
  }
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (parameters[i].optional) continue;
    if (i >= call.arguments.size()) {
      error = arity_message(*member);
      return nullptr;
    }
    if (call.arguments[i].is_missing()) {
      error = omitted_message(i, parameters[i]);
      return nullptr;
    }
  }
  return member;
}

Outcome call_member(clsKestrune& object, const MemberInfo& member, std::vector<Variant> arguments) {
  if (member.gathers_list()) arguments = {gathered(std::move(arguments))};
  arguments.resize(member.parameters.size(), Variant::missing());
  return run_member(object, member, arguments);
}

Outcome run_member(clsKestrune& object, const MemberInfo& member, std::span<Variant> arguments) {
  try {
    return {Outcome::Kind::answered, member.invoke(object, arguments), ""};
  } catch (const Failure& failure) {
    return {Outcome::Kind::failed, Variant(), failure.what()};
  } catch (const std::bad_alloc&) {
    return {Outcome::Kind::failed, Variant(), "out of memory"};
  } catch (const std::exception& fault) {
    // A fault of the program, not of the call: still a failed call, and said to be one.
    return {Outcome::Kind::failed, Variant(), std::string("internal error: ") + fault.what()};
  }
}

Outcome evaluate(clsKestrune& object, ParsedCall call) {
  std::string error;
  const MemberInfo* member = member_for(call, error);
  if (member == nullptr) return syntax(std::move(error));
  return call_member(object, *member, std::move(call.arguments));
}

}  // namespace kestrune::cli
