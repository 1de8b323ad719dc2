// excel_stand_in.dll: a stand-in for the spreadsheet program that install.vbs and uninstall.vbs
// create by its ProgID Excel.Application, and that clsKestrune finds running to describe its
// functions. It keeps what they reach of the program's object model (alerts and repainting,
// workbooks, the VBA project's module import, saving as an add-in, the add-ins list, function
// descriptions) and writes one line per call (call_line) to the file KESTRUNE_HOST_LOG names.
//
// Like the program, it refuses the VBA project unless the user allows access to it
// (AccessVBOM 1 under the program's security key). A workbook saved as an add-in holds the
// module text it imported; the add-ins list is the add-in files of the user's library folder,
// and which are installed is kept in the registry, as the program keeps it. The description of
// the macro KESTRUNE_REFUSED_MACRO names is refused.
#include <windows.h>

#include <oleauto.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "base/utf8.hpp"
#include "scripted_object.hpp"
#include "variant/conversions.hpp"

namespace {

using namespace kestrune;
using namespace kestrune::client;

constexpr CLSID kServerClass = {
    0x5c0b7d3e, 0x21a4, 0x4f7e, {0x8d, 0x15, 0x6b, 0x90, 0x3a, 0x2e, 0x4c, 0x71}};
constexpr const wchar_t* kClassKey = L"CLSID\\{5C0B7D3E-21A4-4F7E-8D15-6B903A2E4C71}";
constexpr const wchar_t* kProgId = L"Excel.Application";
constexpr const wchar_t* kSecurityKey = L"Software\\Microsoft\\Office\\16.0\\Excel\\Security";
constexpr const wchar_t* kInstalledValue = L"OPEN";
constexpr const wchar_t* kAddInPattern = L"*.xla";

HMODULE this_module = nullptr;

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string text_of(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

bool vba_project_allowed() {
  DWORD allowed = 0;
  DWORD size = sizeof allowed;
  return RegGetValueW(HKEY_CURRENT_USER, kSecurityKey, L"AccessVBOM", RRF_RT_REG_DWORD, nullptr,
                      &allowed, &size) == ERROR_SUCCESS &&
         allowed == 1;
}

std::u16string installed_add_in() {
  return text_of(registry_text(HKEY_CURRENT_USER, kOptionsKey, kInstalledValue));
}

// What the stand-in keeps of the program's object model: the kinds of object, each logged under
// its name, and every member any of them has.
enum class Kind { application, workbooks, workbook, project, components, add_ins, add_in };
constexpr std::u16string_view kKindNames[] = {
    u"Application", u"Workbooks", u"Workbook", u"VBProject", u"VBComponents", u"AddIns", u"AddIn"};
constexpr std::u16string_view kMembers[] = {
    u"DisplayAlerts", u"ScreenUpdating", u"Workbooks", u"UserLibraryPath",
    u"AddIns",        u"MacroOptions",   u"Quit",      u"Add",
    u"VBProject",     u"SaveAs",         u"Close",     u"VBComponents",
    u"Import",        u"Name",           u"Installed"};

struct Node {
  Kind kind;
  std::u16string add_in;                     // an add-in's file name
  std::shared_ptr<std::u16string> imported;  // the module text a workbook's project imported
};

HRESULT answer(const Node& node, const ScriptedCall& call, VARIANT* result);

// A new object of the stand-in; every call on it is logged before it is answered.
IDispatch* make(Kind kind, std::u16string add_in = u"",
                std::shared_ptr<std::u16string> imported = nullptr) {
  const Node node{kind, std::move(add_in), std::move(imported)};
  return new ScriptedObject(kMembers, [node](const ScriptedCall& call, VARIANT* result) {
    std::ofstream(to_utf8(text_of(environment(L"KESTRUNE_HOST_LOG"))), std::ios::app)
        << to_utf8(call_line(kKindNames[int(node.kind)], call)) << "\n";
    return answer(node, call, result);
  });
}

HRESULT give(VARIANT* result, const Variant& value) {
  if (result != nullptr) to_VARIANT(value, *result);
  return S_OK;
}

HRESULT give_object(VARIANT* result, IUnknown* object, VARTYPE type = VT_DISPATCH) {
  if (result == nullptr) {
    object->Release();
  } else {
    V_VT(result) = type;
    V_UNKNOWN(result) = object;
  }
  return S_OK;
}

std::vector<ComPtr<IDispatch>> listed_add_ins() {
  std::vector<ComPtr<IDispatch>> listed;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((library_folder() + kAddInPattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return listed;
  do {
    listed.emplace_back().Attach(make(Kind::add_in, text_of(std::wstring(found.cFileName))));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return listed;
}

std::u16string text_argument(const ScriptedCall& call, std::size_t index = 0) {
  return index < call.arguments.size() ? to_text(call.arguments[index]) : u"";
}

HRESULT answer(const Node& node, const ScriptedCall& call, VARIANT* result) {
  const std::u16string_view member = call.member;
  switch (node.kind) {
    case Kind::application:
      if (member == u"Workbooks") return give_object(result, make(Kind::workbooks));
      if (member == u"AddIns") return give_object(result, make(Kind::add_ins));
      if (member == u"UserLibraryPath")
        return give(result, Variant::text(text_of(library_folder())));
      if (member == u"MacroOptions" &&
          wide(text_argument(call)) == environment(L"KESTRUNE_REFUSED_MACRO")) {
        return DISP_E_EXCEPTION;
      }
      return S_OK;
    case Kind::workbooks:
      return give_object(result, make(Kind::workbook, u"", std::make_shared<std::u16string>()));
    case Kind::workbook:
      if (member == u"VBProject") {
        if (!vba_project_allowed()) return DISP_E_EXCEPTION;
        return give_object(result, make(Kind::project, u"", node.imported));
      }
      if (member == u"SaveAs") {
        std::ofstream(to_utf8(text_argument(call)), std::ios::binary) << to_utf8(*node.imported);
      }
      return S_OK;
    case Kind::project:
      return give_object(result, make(Kind::components, u"", node.imported));
    case Kind::components: {  // importing the module file
      std::ifstream module(to_utf8(text_argument(call)), std::ios::binary);
      *node.imported += from_utf8(std::string(std::istreambuf_iterator<char>(module), {}));
      return S_OK;
    }
    case Kind::add_ins:
      if (member == u"Add") {  // the add-in known by its file's name
        const std::u16string path = text_argument(call);
        return give_object(result, make(Kind::add_in, path.substr(path.find_last_of(u"\\/") + 1)));
      }
      return give_object(result, new Enumerator(listed_add_ins()), VT_UNKNOWN);
    case Kind::add_in:
      if (member == u"Name") return give(result, Variant::text(node.add_in));
      if (!call.put) return give(result, Variant::boolean(installed_add_in() == node.add_in));
      if (call.arguments.at(0).boolean_value()) {
        set_registry_text(HKEY_CURRENT_USER, kOptionsKey, kInstalledValue, wide(node.add_in));
      } else if (installed_add_in() == node.add_in) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptionsKey, kInstalledValue);
      }
      return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

class Factory final : public ComObject<Factory, IClassFactory> {
 public:
  void* interface_for(REFIID iid) {
    return iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this)
                                                           : nullptr;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** made) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IDispatch* application = make(Kind::application);
    const HRESULT result = application->QueryInterface(iid, made);
    application->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

HRESULT set_text(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return HRESULT_FROM_WIN32(set_registry_text(HKEY_CLASSES_ROOT, key, name, value));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) this_module = module;
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID class_id, REFIID iid, LPVOID* factory) {
  *factory = nullptr;
  if (class_id != kServerClass) return CLASS_E_CLASSNOTAVAILABLE;
  Factory* made = new Factory();
  const HRESULT result = made->QueryInterface(iid, factory);
  made->Release();
  return result;
}

// The process keeps the stand-in for its lifetime.
STDAPI DllCanUnloadNow() { return S_FALSE; }

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(this_module, path, MAX_PATH);
  const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
  HRESULT result = set_text(server, nullptr, path);
  if (SUCCEEDED(result)) result = set_text(server, L"ThreadingModel", L"Apartment");
  if (SUCCEEDED(result)) {
    result = set_text(std::wstring(kProgId) + L"\\CLSID", nullptr,
                      L"{5C0B7D3E-21A4-4F7E-8D15-6B903A2E4C71}");
  }
  return result;
}

STDAPI DllUnregisterServer() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  return S_OK;
}
