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
constexpr const wchar_t* kOptionsKey = L"Software\\Microsoft\\Office\\16.0\\Excel\\Options";
constexpr const wchar_t* kInstalledValue = L"OPEN";
constexpr const wchar_t* kAddInPattern = L"*.xla";

HMODULE this_module = nullptr;

std::wstring environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  return GetEnvironmentVariableW(name, value, MAX_PATH) > 0 ? value : L"";
}

// The add-ins folder of the user, with the closing backslash the program gives it.
std::wstring library_folder() { return environment(L"APPDATA") + L"\\Microsoft\\AddIns\\"; }

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string text_of(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}
std::string utf8(std::u16string_view text) { return to_utf8(text); }

void log_call(std::u16string_view object, std::u16string_view member, WORD flags,
              const DISPPARAMS& parameters) {
  const std::u16string line =
      call_line(object, member, flags & DISPATCH_PROPERTYPUT, arguments_of(parameters));
  std::ofstream(utf8(text_of(environment(L"KESTRUNE_HOST_LOG"))), std::ios::app)
      << utf8(line) << "\n";
}

std::u16string text_argument(const DISPPARAMS& parameters, std::size_t index) {
  const std::vector<Variant> arguments = arguments_of(parameters);
  return index < arguments.size() ? to_text(arguments[index]) : u"";
}

std::u16string read_file(const std::u16string& path) {
  std::ifstream file(utf8(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return from_utf8(bytes);
}

bool vba_project_allowed() {
  DWORD allowed = 0;
  DWORD size = sizeof allowed;
  return RegGetValueW(HKEY_CURRENT_USER, kSecurityKey, L"AccessVBOM", RRF_RT_REG_DWORD, nullptr,
                      &allowed, &size) == ERROR_SUCCESS &&
         allowed == 1;
}

std::u16string installed_add_in() {
  wchar_t name[MAX_PATH] = {};
  DWORD size = sizeof name;
  if (RegGetValueW(HKEY_CURRENT_USER, kOptionsKey, kInstalledValue, RRF_RT_REG_SZ, nullptr, name,
                   &size) != ERROR_SUCCESS) {
    return u"";
  }
  return text_of(std::wstring(name));
}

void set_installed(const std::u16string& name, bool installed) {
  if (installed) {
    const std::wstring value = wide(name);
    RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKey, kInstalledValue, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
  } else if (installed_add_in() == name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptionsKey, kInstalledValue);
  }
}

// A handler that logs each call under the object's name before answering it.
Handler logged(std::u16string object, Handler answer) {
  return [object, answer](std::u16string_view member, WORD flags, DISPPARAMS& parameters,
                          VARIANT* result) {
    log_call(object, member, flags, parameters);
    return answer(member, flags, parameters, result);
  };
}

IDispatch* make_add_in(const std::u16string& name) {
  return new ScriptedObject({u"Name", u"Installed"},
                            logged(u"AddIn",
                                   [name](std::u16string_view member, WORD flags,
                                          DISPPARAMS& parameters, VARIANT* result) -> HRESULT {
                                     if (member == u"Name") {
                                       give(result, Variant::text(name));
                                     } else if (flags & DISPATCH_PROPERTYPUT) {
                                       set_installed(
                                           name, arguments_of(parameters).at(0).boolean_value());
                                     } else {
                                       give(result, Variant::boolean(installed_add_in() == name));
                                     }
                                     return S_OK;
                                   }));
}

std::vector<ComPtr<IDispatch>> listed_add_ins() {
  std::vector<ComPtr<IDispatch>> listed;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((library_folder() + kAddInPattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return listed;
  do {
    ComPtr<IDispatch> item;
    item.Attach(make_add_in(text_of(std::wstring(found.cFileName))));
    listed.push_back(item);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return listed;
}

std::u16string file_name_of(const std::u16string& path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

IDispatch* make_add_ins() {
  return new ScriptedObject(
      {u"Add", u"Count"},
      logged(
          u"AddIns",
          [](std::u16string_view member, WORD, DISPPARAMS& parameters, VARIANT* result) -> HRESULT {
            if (member == u"Add") {
              give_object(result, make_add_in(file_name_of(text_argument(parameters, 0))),
                          VT_DISPATCH);
            } else if (member == u"Count") {
              give(result, Variant::i4(std::int32_t(listed_add_ins().size())));
            } else {
              give_object(result, new Enumerator(listed_add_ins()), VT_UNKNOWN);
            }
            return S_OK;
          }));
}

IDispatch* make_workbook() {
  auto imported = std::make_shared<std::u16string>();
  auto components = [imported]() -> IDispatch* {
    return new ScriptedObject({u"Import"},
                              logged(u"VBComponents", [imported](std::u16string_view, WORD,
                                                                 DISPPARAMS& parameters, VARIANT*) {
                                *imported += read_file(text_argument(parameters, 0));
                                return S_OK;
                              }));
  };
  auto project = [components]() -> IDispatch* {
    return new ScriptedObject(
        {u"VBComponents"},
        logged(u"VBProject", [components](std::u16string_view, WORD, DISPPARAMS&, VARIANT* result) {
          give_object(result, components(), VT_DISPATCH);
          return S_OK;
        }));
  };
  return new ScriptedObject(
      {u"VBProject", u"SaveAs", u"Close"},
      logged(u"Workbook",
             [imported, project](std::u16string_view member, WORD, DISPPARAMS& parameters,
                                 VARIANT* result) -> HRESULT {
               if (member == u"VBProject") {
                 if (!vba_project_allowed()) return DISP_E_EXCEPTION;
                 give_object(result, project(), VT_DISPATCH);
               } else if (member == u"SaveAs") {
                 std::ofstream(utf8(text_argument(parameters, 0)), std::ios::binary)
                     << utf8(*imported);
               }
               return S_OK;
             }));
}

IDispatch* make_application() {
  return new ScriptedObject(
      {u"DisplayAlerts", u"ScreenUpdating", u"Workbooks", u"UserLibraryPath", u"AddIns",
       u"MacroOptions", u"Quit"},
      logged(
          u"Application",
          [](std::u16string_view member, WORD, DISPPARAMS& parameters, VARIANT* result) -> HRESULT {
            if (member == u"Workbooks") {
              give_object(result,
                          new ScriptedObject(
                              {u"Add"},
                              logged(u"Workbooks",
                                     [](std::u16string_view, WORD, DISPPARAMS&, VARIANT* workbook) {
                                       give_object(workbook, make_workbook(), VT_DISPATCH);
                                       return S_OK;
                                     })),
                          VT_DISPATCH);
            } else if (member == u"UserLibraryPath") {
              give(result, Variant::text(text_of(library_folder())));
            } else if (member == u"AddIns") {
              give_object(result, make_add_ins(), VT_DISPATCH);
            } else if (member == u"MacroOptions" && wide(text_argument(parameters, 0)) ==
                                                        environment(L"KESTRUNE_REFUSED_MACRO")) {
              return DISP_E_EXCEPTION;
            }
            return S_OK;
          }));
}

class Factory final : public ComObject<Factory, IClassFactory> {
 public:
  void* interface_for(REFIID iid) {
    return iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this)
                                                           : nullptr;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** made) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IDispatch* application = make_application();
    const HRESULT result = application->QueryInterface(iid, made);
    application->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

HRESULT set_text(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return HRESULT_FROM_WIN32(RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ,
                                            value.c_str(),
                                            DWORD((value.size() + 1) * sizeof(wchar_t))));
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
