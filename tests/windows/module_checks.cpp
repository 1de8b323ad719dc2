// The generated add-in module kestrune.bas: a VBA module named kestrune that creates one object
// by its ProgID on first use; for each worksheet function of the member table, a wrapper that
// declares its member's parameters (names, Optional, a ParamArray for the list) and forwards
// them in order; and More_Information, which opens the path krHelpfilePath gives.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <vector>

#include "automation/member_table.hpp"
#include "checks.hpp"

namespace kestrune::client {
namespace {

// A procedure of the module: its declaration and its body, each line trimmed, continued lines
// joined.
struct Procedure {
  std::string declaration;
  std::vector<std::string> body;
};

std::vector<std::string> logical_lines(const std::u16string& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  const std::string raw(std::istreambuf_iterator<char>(file), {});
  const std::string text = std::regex_replace(std::regex_replace(raw, std::regex("\r\n"), "\n"),
                                              std::regex(" _\n +"), " ");
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const std::size_t first = line.find_first_not_of(' ');
    lines.push_back(first == std::string::npos ? "" : line.substr(first));
  }
  return lines;
}

std::map<std::string, Procedure> procedures(const std::vector<std::string>& lines) {
  static const std::regex start("Public (Function|Sub) (\\w+)\\(.*\\)");
  std::map<std::string, Procedure> found;
  Procedure* open = nullptr;
  for (const std::string& line : lines) {
    std::smatch match;
    if (std::regex_match(line, match, start)) {
      open = &found[match[2]];
      open->declaration = line;
    } else if (line == "End Function" || line == "End Sub") {
      open = nullptr;
    } else if (open != nullptr) {
      open->body.push_back(line);
    }
  }
  return found;
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

Procedure expected_wrapper(const MemberInfo& member) {
  const std::string name(member.name);
  std::vector<std::string> parameters;
  std::vector<std::string> arguments;
  Procedure wrapper;
  for (const ParameterInfo& parameter : member.parameters) {
    const std::string parameter_name(parameter.name);
    if (parameter.gathers_list) {
      parameters.push_back("ParamArray " + parameter_name + "()");
      arguments.push_back("list");
      wrapper.body = {"Dim list As Variant", "list = " + parameter_name};
    } else {
      parameters.push_back((parameter.optional ? "Optional " : "") + parameter_name);
      arguments.push_back(parameter_name);
    }
  }
  wrapper.declaration = "Public Function " + name + "(" + joined(parameters) + ")";
  wrapper.body.push_back(name + " = Server()." + name +
                         (arguments.empty() ? "" : "(" + joined(arguments) + ")"));
  return wrapper;
}

}  // namespace

void check_addin_module(const std::u16string& path, Checks& checks) {
  const std::vector<std::string> lines = logical_lines(path);
  checks.expect(!lines.empty() && lines[0] == "Attribute VB_Name = \"kestrune\"",
                "kestrune.bas is a VBA module named kestrune");
  const std::string creation =
      "If kestrune_server Is Nothing Then Set kestrune_server = CreateObject(\"" +
      to_utf8(text_of(kProgId)) + "\")";
  checks.expect(std::find(lines.begin(), lines.end(), creation) != lines.end(),
                "the module creates one object, by its ProgID, on first use");
  std::map<std::string, Procedure> module = procedures(lines);
  const std::vector<std::string> help = {
      "Shell \"hh.exe \"\"\" & Server().krHelpfilePath & \"\"\"\", vbNormalFocus"};
  checks.expect(module["More_Information"].body == help,
                "More_Information opens the help file at krHelpfilePath");
  std::size_t wrappers = 0;
  for (const MemberInfo& member : members()) {
    if (!member.worksheet_function) continue;
    ++wrappers;
    const Procedure expected = expected_wrapper(member);
    const Procedure& found = module[std::string(member.name)];
    checks.expect_equal(found.declaration, expected.declaration, "the declaration");
    checks.expect(
        found.body == expected.body,
        std::string(member.name) + " forwards its parameters in order: " + joined(found.body));
  }
  checks.expect(module.size() == wrappers + 1,
                "the module defines the worksheet functions and More_Information alone (" +
                    std::to_string(module.size()) + " public procedures)");
}

}  // namespace kestrune::client
