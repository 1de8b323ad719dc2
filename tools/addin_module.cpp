// Writes kestrune.bas, the VBA module of the add-in workbook, from the member table: one
// worksheet function per member the add-in defines, each with the member's parameters
// (optional ones Optional, a list member's one parameter a ParamArray) and forwarding them to
// one clsKestrune object created on first use, and the More_Information macro that opens the
// help file.
//
//   addin_module build/release/windows/kestrune.bas
//
// The type library declares the same parameters; tests/windows checks the module against it.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "automation/member_table.hpp"

namespace {

using kestrune::MemberInfo;
using kestrune::ParameterInfo;

constexpr std::string_view kProgId = "Kestrune.clsKestrune";
constexpr std::string_view kHelpPathMember = "krHelpfilePath";
constexpr std::string_view kNewline = "\r\n";  // the VBA editor imports CRLF text
constexpr std::size_t kLineWidth = 92;
constexpr std::string_view kContinuation = " _";
constexpr std::string_view kContinuedIndent = "        ";
// The local that carries a ParamArray's arguments, as one array, to the member.
constexpr std::string_view kListVariable = "list";

// Lines of the module's opening, each to be ended with kNewline.
constexpr std::string_view kOpening[] = {
    "Attribute VB_Name = \"kestrune\"",
    "' The worksheet functions of kestrune.dll, generated from its member table: every",
    "' function forwards its arguments to the member of the same name.",
    "Option Explicit",
    "",
    "Private kestrune_server As Object",
    "",
    "' The one object every function calls, created on first use.",
    "Private Function Server() As Object",
};

std::string line(std::string_view text) { return std::string(text) + std::string(kNewline); }

// Joins `items` after `head` with ", ", breaking lines before they pass kLineWidth.
std::string wrapped_list(std::string head, const std::vector<std::string>& items,
                         std::string_view tail) {
  std::string text;
  std::string current = std::move(head);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string piece = items[i] + (i + 1 < items.size() ? ", " : "");
    if (current.size() + piece.size() + kContinuation.size() > kLineWidth) {
      while (!current.empty() && current.back() == ' ') current.pop_back();
      text += line(current + std::string(kContinuation));
      current = std::string(kContinuedIndent);
    }
    current += piece;
  }
  return text + line(current + std::string(tail));
}

// A comment of one or more lines, broken between words.
std::string comment(std::string_view text) {
  std::string lines;
  std::string current = "'";
  while (!text.empty()) {
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    if (current.size() > 1 && current.size() + 1 + word.size() > kLineWidth) {
      lines += line(current);
      current = "'";
    }
    current += " " + std::string(word);
    text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
  }
  return lines + line(current);
}

std::string declared(const ParameterInfo& parameter) {
  const std::string name(parameter.name);
  if (parameter.gathers_list) return "ParamArray " + name + "()";
  return parameter.optional ? "Optional " + name : name;
}

std::string wrapper(const MemberInfo& member) {
  const std::string name(member.name);
  std::vector<std::string> parameters;
  std::vector<std::string> arguments;
  for (const ParameterInfo& parameter : member.parameters) {
    parameters.push_back(declared(parameter));
    arguments.push_back(parameter.gathers_list ? std::string(kListVariable)
                                               : std::string(parameter.name));
  }
  std::string text = comment(member.one_line_description());
  text += wrapped_list("Public Function " + name + "(", parameters, ")");
  if (member.gathers_list()) {
    const std::string list(kListVariable);
    text += line("    Dim " + list + " As Variant");
    text += line("    " + list + " = " + std::string(member.parameters.front().name));
  }
  const std::string call = "    " + name + " = Server()." + name;
  text += arguments.empty() ? line(call) : wrapped_list(call + "(", arguments, ")");
  return text + line("End Function") + line("");
}

std::string module_text() {
  std::string text;
  for (std::string_view opening : kOpening) text += line(opening);
  text += line("    If kestrune_server Is Nothing Then Set kestrune_server = CreateObject(\"" +
               std::string(kProgId) + "\")");
  text += line("    Set Server = kestrune_server");
  text += line("End Function") + line("");
  for (const MemberInfo& member : kestrune::members()) {
    if (member.worksheet_function) text += wrapper(member);
  }
  const MemberInfo& help = *kestrune::find_member(kHelpPathMember);
  text += comment("Opens the help file kestrune.chm.");
  text += line("Public Sub More_Information()");
  text += line("    Shell \"hh.exe \"\"\" & Server()." + std::string(help.name) +
               " & \"\"\"\", vbNormalFocus");
  return text + line("End Sub");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: addin_module OUTPUT.bas\n", stderr);
    return 2;
  }
  const std::string text = module_text();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(text.data(), 1, text.size(), out) != text.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
