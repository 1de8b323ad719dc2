#include "calc/calc_functions.hpp"

#include <cctype>
#include <string>

namespace kestrune::calc {
namespace {

// Calc lacks a function that reverses a text, so this service member is offered too.
constexpr std::string_view kAlsoInCalc = "Reverse";

bool is_calc_function(const MemberInfo& member) {
  return member.worksheet_function || member.name == kAlsoInCalc;
}

// UNO's IDL refuses an underscore before a small letter in an argument name, so the IDL spells
// string_to_search as stringToSearch; Calc shows the member table's own names.
std::string idl_argument_name(std::string_view name) {
  std::string spelled;
  bool capital = false;
  for (char c : name) {
    if (c == '_') {
      capital = true;
      continue;
    }
    spelled += capital ? char(std::toupper(static_cast<unsigned char>(c))) : c;
    capital = false;
  }
  return spelled;
}

std::size_t member_position(const MemberInfo& member) {
  return std::size_t(&member - members().data());
}

// "module org { module kestrune {" for "org.kestrune.XFunctions", with the closing text.
struct IdlModules {
  std::string open;
  std::string close;
  std::string interface_name;
};

IdlModules idl_modules(std::string_view qualified) {
  IdlModules modules;
  std::size_t start = 0;
  for (std::size_t dot = qualified.find('.'); dot != std::string_view::npos;
       dot = qualified.find('.', start)) {
    modules.open += "module " + std::string(qualified.substr(start, dot - start)) + " { ";
    modules.close += "}; ";
    start = dot + 1;
  }
  modules.interface_name = std::string(qualified.substr(start));
  return modules;
}

std::string idl_method(const MemberInfo& member) {
  std::string method = "    any " + std::string(member.name) + "(";
  for (std::size_t i = 0; i < member.parameters.size(); ++i) {
    if (i > 0) method += ", ";
    method += member.gathers_list() ? "[in] sequence<any> " : "[in] any ";
    method += idl_argument_name(member.parameters[i].name);
  }
  return method + ");\n";
}

std::string forwarding_method(const MemberInfo& member) {
  const std::string position = std::to_string(member_position(member));
  std::string method = "css::uno::Any SAL_CALL " + std::string(member.name) + "(";
  if (member.gathers_list()) {
    return method +
           "const css::uno::Sequence<css::uno::Any>& list) override {\n  return call_list(" +
           position + ", list);\n}\n";
  }
  std::string pointers;
  for (std::size_t i = 0; i < member.parameters.size(); ++i) {
    const std::string argument = "a" + std::to_string(i);
    method += (i > 0 ? ", " : "") + ("const css::uno::Any& " + argument);
    pointers += (i > 0 ? ", &" : "&") + argument;
  }
  if (pointers.empty()) return method + ") override { return call(" + position + ", {}); }\n";
  return method + ") override {\n  const css::uno::Any* arguments[] = {" + pointers +
         "};\n  return call(" + position + ", arguments);\n}\n";
}

}  // namespace

const std::vector<const MemberInfo*>& calc_functions() {
  static const std::vector<const MemberInfo*> functions = [] {
    std::vector<const MemberInfo*> list;
    for (const MemberInfo& member : members()) {
      if (is_calc_function(member)) list.push_back(&member);
    }
    return list;
  }();
  return functions;
}

const MemberInfo* find_calc_function(std::string_view name) {
  const MemberInfo* member = find_member(name);
  return member != nullptr && is_calc_function(*member) ? member : nullptr;
}

std::string calc_interface_idl() {
  const IdlModules modules = idl_modules(kInterfaceName);
  std::string idl = "// Generated from the member table; every method is a Calc function.\n" +
                    modules.open + "\ninterface " + modules.interface_name +
                    " : com::sun::star::uno::XInterface {\n";
  for (const MemberInfo* member : calc_functions()) idl += idl_method(*member);
  return idl + "};\n" + modules.close + "\n";
}

std::string calc_forwarding_methods() {
  std::string methods = "// Generated from the member table.\n";
  for (const MemberInfo* member : calc_functions()) methods += forwarding_method(*member);
  return methods;
}

}  // namespace kestrune::calc
