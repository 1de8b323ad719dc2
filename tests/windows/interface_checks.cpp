// The automation interface of kestrune.dll as only a client of the compiled server can see it:
// the registration records and version block, the type library's identity, every member of the
// core's member table as GetIDsOfNames finds it and as the generated add-in module kestrune.bas
// wraps it, arguments as COM callers pass them (named, typed references, SAFEARRAYs), failures
// as automation errors, and a client in another apartment, through which defaults are written
// back. What members answer is the shared call tables' business; the member table's agreement
// with the type library's source is checked where the table is built.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "automation/cls_kestrune.hpp"
#include "automation/member_table.hpp"
#include "base/utf8.hpp"
#include "checks.hpp"
#include "com/kestrune_h.h"

namespace kestrune::client {
namespace {

constexpr HRESULT kTypeMismatch = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 13);

std::u16string version_text(const std::vector<BYTE>& block, const wchar_t* name) {
  wchar_t* text = nullptr;
  UINT size = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  return VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &size)
             ? text_of(text)
             : u"(none)";
}

// The records regsvr32 left, and the DLL's version block.
void check_registration(Checks& checks) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"kestrune.dll"), path, MAX_PATH);
  check_registry_records(text_of(path), false, true, checks);
  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &ignored));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  checks.expect(!block.empty() && GetFileVersionInfoW(path, 0, DWORD(block.size()), block.data()) &&
                    VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) &&
                    fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0 &&
                    fixed->dwProductVersionMS == 0x00010000 &&
                    version_text(block, L"FileVersion") == u"1.00" &&
                    version_text(block, L"OLESelfRegister") != u"(none)",
                "kestrune.dll's file and product version are 1.0, the text 1.00, and its "
                "version block carries OLESelfRegister");
}

// A type library's or a type's own name (MEMBERID_NIL, or -1 for the library).
template <class Described>
std::string name_of(Described& info, MEMBERID member) {
  OwnedBstr name;
  info.GetDocumentation(member, name.receive(), nullptr, nullptr, nullptr);
  return to_utf8(from_BSTR(name.get()));
}

// A type's attributes, copied (their pointers not followed).
TYPEATTR attributes_of(ITypeInfo& info) {
  TYPEATTR* attributes = nullptr;
  if (FAILED(info.GetTypeAttr(&attributes))) return TYPEATTR{};
  const TYPEATTR copy = *attributes;
  info.ReleaseTypeAttr(attributes);
  return copy;
}

// What an early-bound caller (a VBA reference, New clsKestrune) reads of the type library beyond
// what registering it recorded (its identifier, version and locale, the ProgID's class): the
// library's name, the creatable class and the dual interface.
void check_identity(IDispatch& object, Checks& checks) {
  ComPtr<ITypeInfo> dispatch_info;
  ComPtr<ITypeInfo> vtable;
  ComPtr<ITypeInfo> coclass;
  ComPtr<ITypeLib> library;
  UINT index = 0;
  HREFTYPE vtable_reference = 0;
  if (FAILED(object.GetTypeInfo(0, LOCALE_USER_DEFAULT, &dispatch_info)) ||
      FAILED(dispatch_info->GetContainingTypeLib(&library, &index)) ||
      FAILED(library->GetTypeInfoOfGuid(CLSID_clsKestrune, &coclass)) ||
      FAILED(dispatch_info->GetRefTypeOfImplType(-1, &vtable_reference)) ||
      FAILED(dispatch_info->GetRefTypeInfo(vtable_reference, &vtable))) {
    checks.expect(false, "the object's type library gives its class and a dual interface");
    return;
  }
  const TYPEATTR made = attributes_of(*coclass.Get());
  INT flags = 0;
  checks.expect(name_of(*library.Get(), -1) == "Kestrune" && made.typekind == TKIND_COCLASS &&
                    (made.wTypeFlags & TYPEFLAG_FCANCREATE) && made.cImplTypes == 1 &&
                    name_of(*coclass.Get(), MEMBERID_NIL) == "clsKestrune" &&
                    SUCCEEDED(coclass->GetImplTypeFlags(0, &flags)) &&
                    (flags & IMPLTYPEFLAG_FDEFAULT),
                "library Kestrune: clsKestrune is creatable with _clsKestrune as its one, default "
                "interface");
  const TYPEATTR dispatch = attributes_of(*dispatch_info.Get());
  checks.expect(dispatch.guid == IID__clsKestrune && dispatch.typekind == TKIND_DISPATCH,
                "IDispatch sees the dispatch view of interface {F2ADF626-...}");
  const TYPEATTR dual = attributes_of(*vtable.Get());
  const WORD wanted =
      TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
  checks.expect((dual.wTypeFlags & wanted) == wanted && dual.cFuncs == members().size(),
                "_clsKestrune is hidden, dual, nonextensible, oleautomation, with 16 members");
}

// The generated add-in module kestrune.bas as its logical lines: each trimmed, continued lines
// joined.
std::vector<std::string> module_lines(const std::u16string& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (line.ends_with('\r')) line.pop_back();
    line.erase(0, std::min(line.size(), line.find_first_not_of(' ')));
    if (!lines.empty() && lines.back().ends_with(" _")) {
      lines.back().replace(lines.back().size() - 1, 1, line);
    } else {
      lines.push_back(line);
    }
  }
  return lines;
}

bool holds(const std::vector<std::string>& lines, const std::vector<std::string>& block) {
  return std::search(lines.begin(), lines.end(), block.begin(), block.end()) != lines.end();
}

// A worksheet function's wrapper in the module: its member's parameters declared (Optional, a
// ParamArray for the list) and forwarded in order.
std::vector<std::string> expected_wrapper(const MemberInfo& member) {
  const std::string name(member.name);
  std::string declared;
  std::string forwarded;
  std::string list;  // the ParamArray, handed on as one array
  for (const ParameterInfo& parameter : member.parameters) {
    const std::string parameter_name(parameter.name);
    if (parameter.gathers_list) list = parameter_name;
    const std::string separator = declared.empty() ? "" : ", ";
    declared += separator + (parameter.gathers_list ? "ParamArray " + parameter_name + "()"
                             : parameter.optional   ? "Optional " + parameter_name
                                                    : parameter_name);
    forwarded += separator + (parameter.gathers_list ? "list" : parameter_name);
  }
  std::vector<std::string> wrapper = {"Public Function " + name + "(" + declared + ")"};
  if (!list.empty()) {
    wrapper.push_back("Dim list As Variant");
    wrapper.push_back("list = " + list);
  }
  wrapper.push_back(name + " = Server()." + name +
                    (forwarded.empty() ? "" : "(" + forwarded + ")"));
  wrapper.push_back("End Function");
  return wrapper;
}

// Each member as a late-bound caller finds it (by its name in any letter case, with its
// parameters' positions for named arguments) and, for a worksheet function, as the add-in module
// wraps it; the module defines nothing else but the object it creates on first use and
// More_Information, which opens the path krHelpfilePath gives.
void check_members(IDispatch& object, const std::vector<std::string>& module, Checks& checks) {
  std::size_t wrappers = 0;
  for (const MemberInfo& member : members()) {
    std::vector<std::u16string> asked{from_utf8(member.name)};
    for (char16_t& c : asked[0]) c = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
    for (const ParameterInfo& parameter : member.parameters)
      asked.push_back(from_utf8(parameter.name));
    std::vector<LPOLESTR> pointers;
    for (std::u16string& name : asked) pointers.push_back(reinterpret_cast<LPOLESTR>(name.data()));
    std::vector<DISPID> ids(asked.size(), DISPID_UNKNOWN);
    object.GetIDsOfNames(IID_NULL, pointers.data(), UINT(pointers.size()), LOCALE_USER_DEFAULT,
                         ids.data());
    bool in_order = ids[0] == member.dispatch_id;
    for (std::size_t p = 1; p < ids.size(); ++p) in_order = in_order && ids[p] == DISPID(p - 1);
    checks.expect(in_order, to_utf8(asked[0]) + ": GetIDsOfNames gives its id and parameters");
    if (!member.worksheet_function) continue;
    ++wrappers;
    const std::vector<std::string> wrapper = expected_wrapper(member);
    checks.expect(holds(module, wrapper),
                  "kestrune.bas: " + wrapper.front() + ", forwarding its parameters in order");
  }
  checks.expect(dispatch_id(object, u"krNOSUCHMEMBER") == DISPID_UNKNOWN,
                "an unknown name has no dispatch id");
  const std::string creation =
      "If kestrune_server Is Nothing Then Set kestrune_server = CreateObject(\"" +
      to_utf8(text_of(kProgId)) + "\")";
  const std::vector<std::string> help = {
      "Public Sub More_Information()",
      "Shell \"hh.exe \"\"\" & Server().krHelpfilePath & \"\"\"\", vbNormalFocus", "End Sub"};
  const auto is_public = [](const std::string& line) { return line.starts_with("Public "); };
  checks.expect(!module.empty() && module[0] == "Attribute VB_Name = \"kestrune\"" &&
                    holds(module, {creation}) && holds(module, help) &&
                    std::size_t(std::ranges::count_if(module, is_public)) == wrappers + 1,
                "kestrune.bas: a VBA module named kestrune that creates its object on first use, "
                "with More_Information and the worksheet functions alone");
}

bool same_value(const Variant& a, const Variant& b) {
  return a == b || (a.is_numeric() && b.is_numeric() && a.numeric_value() == b.numeric_value());
}

// Named arguments, typed references and a range's SAFEARRAY, as VBA and the host pass them.
void check_argument_forms(IDispatch& object, Checks& checks) {
  const DISPID search = dispatch_id(object, u"krSEARCH");
  OwnedVariant text(Variant::text(u"a-b-c"));
  OwnedVariant dash(Variant::text(u"-"));
  OwnedVariant three;
  V_VT(three.get()) = VT_I2;  // VBScript passes small literals as 16-bit integers
  V_I2(three.get()) = 3;
  checks.expect(invoke(object, search, {text.get(), dash.get()}, {{3, three.get()}}).text() == u"-",
                "a named return_type (a 16-bit integer) is taken");

  OwnedBstr subject(to_BSTR(u"x-y"));
  VARIANT typed{};
  V_VT(&typed) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&typed) = subject.receive();
  checks.expect(
      same_value(invoke(object, search, {&typed, dash.get()}).variant(), Variant::number(2)),
      "a VT_BYREF|VT_BSTR argument is read through the reference");

  OwnedVariant with_zero(Variant::text(std::u16string(u"a\0b", 3)));
  checks.expect(invoke(object, u"Reverse", {with_zero.get()}).text() == std::u16string(u"b\0a", 3),
                "a text with a zero unit keeps its length");

  // krEXTRACT keeps the first item that matches, so its answer shows that a 2 x 2 SAFEARRAY
  // built element by element is read row by row. The list holds it as its one element.
  SAFEARRAYBOUND bounds[] = {{2, 1}, {2, 1}};
  VARIANT range{};
  V_VT(&range) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&range) = SafeArrayCreate(VT_VARIANT, 2, bounds);
  for (const auto& [row, column, text] : {std::tuple{1, 1, u"abc"}, {1, 2, u"bc"}, {2, 1, u"b"}}) {
    LONG index[] = {row, column};
    SafeArrayPutElement(V_ARRAY(&range), index, OwnedVariant(Variant::text(text)).get());
  }
  SAFEARRAYBOUND list_bounds[] = {{1, 0}};
  OwnedVariant list;
  V_VT(list.get()) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(list.get()) = SafeArrayCreate(VT_VARIANT, 1, list_bounds);
  LONG first = 0;
  SafeArrayPutElement(V_ARRAY(list.get()), &first, &range);
  VariantClear(&range);
  checks.expect_equal(to_utf8(invoke(object, u"krEXTRACT", {list.get()}).text()), "bc",
                      "a range's cells are read row by row");
}

void check_failures(IDispatch& object, Checks& checks) {
  OwnedVariant not_available(Variant::error(worksheet_error::kNA));
  const Invocation failed = invoke(object, u"Reverse", {not_available.get()});
  checks.expect(failed.result == DISP_E_EXCEPTION && failed.scode == kTypeMismatch &&
                    !failed.description.empty() && failed.source == u"Kestrune.clsKestrune",
                "Reverse(#N/A) fails with run-time error 13 from Kestrune.clsKestrune");

  ComPtr<_clsKestrune> vtable;
  ComPtr<ISupportErrorInfo> support;
  checks.expect(SUCCEEDED(object.QueryInterface(IID__clsKestrune, &vtable)) &&
                    SUCCEEDED(object.QueryInterface(IID_PPV_ARGS(&support))) &&
                    support->InterfaceSupportsErrorInfo(IID__clsKestrune) == S_OK,
                "the object answers for the vtable interface, with error information");
  if (vtable) {
    OwnedBstr refused;
    checks.expect_hresult(vtable->Reverse(not_available.get(), refused.receive()), kTypeMismatch,
                          "the vtable call returns the error");
    ComPtr<IErrorInfo> error;
    OwnedBstr description;
    checks.expect(GetErrorInfo(0, &error) == S_OK &&
                      SUCCEEDED(error->GetDescription(description.receive())) &&
                      SysStringLen(description.get()) > 0,
                  "the thread's error object holds the description");
    OwnedVariant text(Variant::text(u"abc"));
    OwnedBstr reversed;
    checks.expect(vtable->Reverse(text.get(), reversed.receive()) == S_OK &&
                      from_BSTR(reversed.get()) == u"cba",
                  "Reverse through the vtable answers cba");
  }

  OwnedVariant only(Variant::text(u"abc"));
  const Invocation too_few = invoke(object, u"krSEARCH", {only.get()});
  checks.expect(too_few.result == DISP_E_PARAMNOTOPTIONAL || too_few.result == DISP_E_BADPARAMCOUNT,
                "a required argument left out is refused (" + hresult_text(too_few.result) + ")");
  checks.expect_hresult(invoke(object, u"krSEARCH", std::vector<VARIANT*>(11, only.get())).result,
                        DISP_E_BADPARAMCOUNT, "eleven arguments are too many");
  checks.expect_hresult(invoke(object, DISPID(0x60030002), {}).result, DISP_E_MEMBERNOTFOUND,
                        "dispatch id 0x60030002 belongs to no member");
}

// krSEARCH("abc", "x") from a client in the multithreaded apartment, with every argument a
// variable and the optional ones holding the missing-argument marker. The client gets a proxy
// to an object living in an apartment thread of its own, so the call and the defaults the core
// writes back into the caller's variables cross the marshaler the registered type library
// describes.
void check_multithreaded_client(Checks& checks) {
  // COM runs the object in a host apartment thread, which ends when the multithreaded
  // apartment does. Under Wine, a process that exits while that thread is still ending can
  // hang in the loader (one run in six or seven here, after every check had passed); holding
  // the multithreaded apartment until the process ends leaves the thread idle until then.
  CO_MTA_USAGE_COOKIE apartment_held{};
  checks.expect_hresult(CoIncrementMTAUsage(&apartment_held), S_OK,
                        "the multithreaded apartment can be held");
  const MemberInfo& search = *find_member("krSEARCH");
  std::vector<Variant> core(search.parameters.size(), Variant::missing());
  core[0] = Variant::text(u"abc");
  core[1] = Variant::text(u"x");
  std::vector<Variant> returned = core;  // as passed, then as they came back
  HRESULT created = E_FAIL;
  Variant answer;
  auto client = [&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      ComPtr<IDispatch> proxy;
      created =
          CoCreateInstance(CLSID_clsKestrune, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&proxy));
      const CallerArguments variables(returned, true);
      if (SUCCEEDED(created)) {
        answer = invoke(*proxy.Get(), u"krSEARCH", variables.passed()).variant();
        for (std::size_t i = 0; i < returned.size(); ++i) returned[i] = variables.variable(i);
      }
    }
    CoUninitialize();
  };
  // The 64-bit ABI has one calling convention, so the lambda's function pointer is a
  // thread's start routine.
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* work) -> DWORD {
        (*static_cast<decltype(client)*>(work))();
        return 0;
      },
      &client, 0, nullptr);
  checks.expect(thread != nullptr, "a second thread can be started");
  if (thread == nullptr) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  checks.expect_hresult(created, S_OK, "a multithreaded client can create the object");
  clsKestrune local;
  checks.expect(same_value(answer, search.invoke(local, core)), "krSEARCH's answer");
  for (std::size_t i = 0; i < core.size(); ++i) {
    checks.expect(same_value(returned[i], core[i]),
                  "argument " + std::to_string(i + 1) + " comes back as the core wrote it");
  }
}

}  // namespace

void check_interface(IDispatch& object, const std::u16string& module_path, Checks& checks) {
  check_registration(checks);
  check_identity(object, checks);
  check_members(object, module_lines(module_path), checks);
  check_argument_forms(object, checks);
  check_failures(object, checks);
  check_multithreaded_client(checks);
}

}  // namespace kestrune::client
