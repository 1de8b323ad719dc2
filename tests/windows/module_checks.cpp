#include "module_checks.hpp"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <vector>

namespace kestrune::client {
namespace {

// The worksheet functions the add-in defines: every member but the three service members.
constexpr std::size_t kWorksheetFunctions = 13;

// A procedure of the module: its declaration and its body, each line trimmed, continued lines
// joined.
struct Procedure {
  std::string name;
  std::string declaration;
  std::vector<std::string> body;
};

std::string trimmed(const std::string& line) {
  const std::size_t first = line.find_first_not_of(' ');
  return first == std::string::npos ? "" : line.substr(first);
}

std::vector<std::string> logical_lines(const std::u16string& path) {
  std::ifstream file(utf8(path), std::ios::binary);
  std::stringstream raw;
  raw << file.rdbuf();
  std::string text = std::regex_replace(raw.str(), std::regex("\r\n"), "\n");
  text = std::regex_replace(text, std::regex(" _\n +"), " ");
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(trimmed(line));
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
      open->name = match[2];
      open->declaration = line;
    } else if (line == "End Function" || line == "End Sub") {
      open = nullptr;
    } else if (open != nullptr) {
      open->body.push_back(line);
    }
  }
  return found;
}

bool is_array(const TYPEDESC& type) {
  return type.vt == VT_PTR && type.lptdesc->vt == VT_SAFEARRAY;
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

// The wrapper of a member as the type library declares it.
Procedure expected_wrapper(ITypeInfo& vtable, const FUNCDESC& function) {
  std::vector<BSTR> names(std::size_t(function.cParams) + 1, nullptr);
  UINT named = 0;
  vtable.GetNames(function.memid, names.data(), UINT(names.size()), &named);
  const std::string name = utf8(from_BSTR(names[0]));
  std::vector<std::string> parameters;
  std::vector<std::string> arguments;
  Procedure wrapper;
  for (SHORT p = 0; p < function.cParams && UINT(p) + 1 < named; ++p) {
    const ELEMDESC& element = function.lprgelemdescParam[p];
    if (element.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) continue;
    const std::string parameter = utf8(from_BSTR(names[std::size_t(p) + 1]));
    if (is_array(element.tdesc)) {
      parameters.push_back("ParamArray " + parameter + "()");
      arguments.push_back("list");
      wrapper.body = {"Dim list As Variant", "list = " + parameter};
    } else {
      const bool optional = element.paramdesc.wParamFlags & PARAMFLAG_FOPT;
      parameters.push_back((optional ? "Optional " : "") + parameter);
      arguments.push_back(parameter);
    }
  }
  for (BSTR text : names) SysFreeString(text);
  wrapper.name = name;
  wrapper.declaration = "Public Function " + name + "(" + joined(parameters) + ")";
  wrapper.body.push_back(name + " = Server()." + name +
                         (arguments.empty() ? "" : "(" + joined(arguments) + ")"));
  return wrapper;
}

ComPtr<ITypeInfo> vtable_of(IDispatch& object) {
  ComPtr<ITypeInfo> dispatch_info;
  ComPtr<ITypeInfo> vtable;
  HREFTYPE reference = 0;
  if (FAILED(object.GetTypeInfo(0, LOCALE_USER_DEFAULT, &dispatch_info)) ||
      FAILED(dispatch_info->GetRefTypeOfImplType(-1, &reference)) ||
      FAILED(dispatch_info->GetRefTypeInfo(reference, &vtable))) {
    return nullptr;
  }
  return vtable;
}

void check_wrappers(std::map<std::string, Procedure>& module, ITypeInfo& vtable, Checks& checks) {
  TYPEATTR* attributes = nullptr;
  vtable.GetTypeAttr(&attributes);
  const UINT count = attributes->cFuncs;
  vtable.ReleaseTypeAttr(attributes);
  std::size_t wrappers = 0;
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* function = nullptr;
    if (FAILED(vtable.GetFuncDesc(i, &function))) continue;
    const Procedure expected = expected_wrapper(vtable, *function);
    vtable.ReleaseFuncDesc(function);
    const std::string& name = expected.name;
    const auto found = module.find(name);
    if (found == module.end()) continue;  // a service member
    ++wrappers;
    checks.expect(
        found->second.declaration == expected.declaration,
        "declared: " + found->second.declaration + "; type library: " + expected.declaration);
    checks.expect(found->second.body == expected.body,
                  name + " forwards its parameters in order: " + joined(found->second.body));
  }
  // The worksheet functions and More_Information, nothing else.
  checks.expect(wrappers == kWorksheetFunctions && module.size() == kWorksheetFunctions + 1,
                "the module defines " + std::to_string(wrappers) + " worksheet functions of " +
                    std::to_string(module.size()) + " public procedures");
}

}  // namespace

void check_addin_module(const std::u16string& path, IDispatch& object, Checks& checks) {
  const std::vector<std::string> lines = logical_lines(path);
  checks.expect(!lines.empty() && lines[0] == "Attribute VB_Name = \"kestrune\"",
                "kestrune.bas is a VBA module named kestrune");
  const std::string creation =
      "If kestrune_server Is Nothing Then Set kestrune_server = "
      "CreateObject(\"" +
      utf8(text_of(kProgId)) + "\")";
  checks.expect(std::find(lines.begin(), lines.end(), creation) != lines.end(),
                "the module creates one object, by its ProgID, on first use");
  std::map<std::string, Procedure> module = procedures(lines);
  const std::vector<std::string> help = {
      "Shell \"hh.exe \"\"\" & Server().krHelpfilePath & \"\"\"\", vbNormalFocus"};
  checks.expect(module["More_Information"].body == help,
                "More_Information opens the help file at krHelpfilePath");
  ComPtr<ITypeInfo> vtable = vtable_of(object);
  checks.expect(vtable != nullptr, "the object gives the type information of its interface");
  if (vtable) check_wrappers(module, *vtable.Get(), checks);
}

}  // namespace kestrune::client
