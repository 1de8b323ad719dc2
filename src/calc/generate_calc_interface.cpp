// Writes what the Calc add-in's build derives from the member table:
//
//   generate_calc_interface idl kestrune_functions.idl       the UNO interface
//   generate_calc_interface methods forwarding_methods.inc   the component's methods
//   generate_calc_interface wizard wizard_texts.json         what the Function Wizard must show
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "base/utf8.hpp"
#include "calc/calc_functions.hpp"
#include "cli/output.hpp"

namespace {

std::string json_text(std::string_view utf8) {
  return kestrune::cli::json_string(kestrune::from_utf8(utf8));
}

std::string wizard_entry(const kestrune::MemberInfo& member) {
  std::string entry = "{\"name\": " + json_text(member.name) +
                      ", \"description\": " + json_text(member.one_line_description()) +
                      ", \"arguments\": [";
  for (std::size_t i = 0; i < member.parameters.size(); ++i) {
    const kestrune::ParameterInfo& parameter = member.parameters[i];
    entry += (i > 0 ? ", " : "") + ("{\"name\": " + json_text(parameter.name)) +
             ", \"description\": " + json_text(parameter.help) + "}";
  }
  return entry + "]}";
}

// [{"name", "description", "arguments": [{"name", "description"}]}] in slot order.
std::string wizard_texts_json() {
  std::string json = "[\n";
  const auto& functions = kestrune::calc::calc_functions();
  for (std::size_t i = 0; i < functions.size(); ++i) {
    json += (i > 0 ? ",\n  " : "  ") + wizard_entry(*functions[i]);
  }
  return json + "\n]\n";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc == 3 ? argv[1] : "";
  std::string text;
  if (what == "idl") {
    text = kestrune::calc::calc_interface_idl();
  } else if (what == "methods") {
    text = kestrune::calc::calc_forwarding_methods();
  } else if (what == "wizard") {
    text = wizard_texts_json();
  } else {
    std::cerr << "usage: generate_calc_interface idl|methods|wizard OUTPUT\n";
    return 2;
  }
  std::ofstream(argv[2], std::ios::binary) << text;
  return 0;
}
