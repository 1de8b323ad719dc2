#include "com/registration.hpp"

#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>

#include "com/kestrune_h.h"
#include "com/server_module.hpp"

namespace kestrune {
namespace {

using Microsoft::WRL::ComPtr;

constexpr const wchar_t* kProgId = L"Kestrune.clsKestrune";
constexpr const wchar_t* kThreadingModel = L"Apartment";
constexpr WORD kLibraryMajor = 16;
constexpr WORD kLibraryMinor = 0;
constexpr const wchar_t* kClassVersion = L"16.0";
constexpr LCID kLibraryLocale = 0;
constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
constexpr const wchar_t* kSysKindKey = sizeof(void*) == 8 ? L"win64" : L"win32";
// The automation marshaler, which carries calls on dual and oleautomation interfaces.
constexpr const wchar_t* kAutomationProxy = L"{00020424-0000-0000-C000-000000000046}";
constexpr const wchar_t* kUserClasses = L"Software\\Classes\\";

std::wstring guid_text(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring class_key() { return L"CLSID\\" + guid_text(CLSID_clsKestrune); }
std::wstring library_key() { return L"TypeLib\\" + guid_text(LIBID_Kestrune); }
std::wstring interface_key() { return L"Interface\\" + guid_text(IID__clsKestrune); }

// The type library's version as the registry spells it, major and minor in hexadecimal ("10.0"
// for 16.0): the form RegisterTypeLib writes and LoadRegTypeLib looks for.
std::wstring library_version() {
  wchar_t text[16] = {};
  std::swprintf(text, 16, L"%x.%x", unsigned(kLibraryMajor), unsigned(kLibraryMinor));
  return text;
}

// The classes key of a scope: HKEY_CLASSES_ROOT, which Windows merges from the machine's and
// the user's, or the user's own.
class ClassesKey {
 public:
  explicit ClassesKey(RegistrationScope scope)
      : root_(scope == RegistrationScope::user ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT),
        prefix_(scope == RegistrationScope::user ? kUserClasses : L"") {}

  // Sets a value of `key` (the default value when name is empty), creating the key.
  HRESULT set_value(const std::wstring& key, const std::wstring& name,
                    const std::wstring& value) const {
    HKEY opened = nullptr;
    LSTATUS status = RegCreateKeyExW(root_, (prefix_ + key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(opened, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    RegCloseKey(opened);
    return HRESULT_FROM_WIN32(status);
  }

  HRESULT delete_tree(const std::wstring& key) const {
    return result_of_delete(RegDeleteTreeW(root_, (prefix_ + key).c_str()));
  }

  // The number of subkeys of `key`; 0 when there is no such key.
  DWORD subkeys(const std::wstring& key) const {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root_, (prefix_ + key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
      return 0;
    }
    DWORD count = 0;
    RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(opened);
    return count;
  }

 private:
  static HRESULT result_of_delete(LSTATUS status) {
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
  }

  HKEY root_;
  std::wstring prefix_;
};

struct Record {
  std::wstring key;
  std::wstring name;  // empty for the key's default value
  std::wstring value;
};

HRESULT write_records(const ClassesKey& classes, std::initializer_list<Record> records) {
  for (const Record& record : records) {
    const HRESULT result = classes.set_value(record.key, record.name, record.value);
    if (FAILED(result)) return result;
  }
  return S_OK;
}

HRESULT register_class(const ClassesKey& classes, const std::wstring& module_path) {
  const std::wstring key = class_key();
  const std::wstring prog_id = kProgId;
  return write_records(classes, {
                                    {key, L"", kProgId},
                                    {key + L"\\InprocServer32", L"", module_path},
                                    {key + L"\\InprocServer32", L"ThreadingModel", kThreadingModel},
                                    {key + L"\\ProgID", L"", kProgId},
                                    {key + L"\\VERSION", L"", kClassVersion},
                                    {key + L"\\TypeLib", L"", guid_text(LIBID_Kestrune)},
                                    {key + L"\\Programmable", L"", L""},
                                    {prog_id, L"", kProgId},
                                    {prog_id + L"\\Clsid", L"", guid_text(CLSID_clsKestrune)},
                                });
}

std::wstring folder_of(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A BSTR out-parameter's text, freed.
std::wstring taken(BSTR text) {
  std::wstring copy = text != nullptr ? text : L"";
  SysFreeString(text);
  return copy;
}

// The records RegisterTypeLib writes for the machine, written under the user's classes: the
// per-user API that would write them (RegisterTypeLibForUser) writes the machine's under Wine.
HRESULT register_type_library_for_user(const ClassesKey& classes, const std::wstring& path) {
  ComPtr<ITypeLib> library;
  ComPtr<ITypeInfo> interface_info;
  BSTR library_help = nullptr;
  BSTR interface_name = nullptr;
  HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (SUCCEEDED(result)) result = library->GetTypeInfoOfGuid(IID__clsKestrune, &interface_info);
  if (SUCCEEDED(result)) {
    result = library->GetDocumentation(-1, nullptr, &library_help, nullptr, nullptr);
  }
  if (SUCCEEDED(result)) {
    result =
        interface_info->GetDocumentation(MEMBERID_NIL, &interface_name, nullptr, nullptr, nullptr);
  }
  const std::wstring help = taken(library_help);
  const std::wstring name = taken(interface_name);
  TLIBATTR* attributes = nullptr;
  if (SUCCEEDED(result)) result = library->GetLibAttr(&attributes);
  if (FAILED(result)) return result;
  const std::wstring flags = std::to_wstring(attributes->wLibFlags);
  library->ReleaseTLibAttr(attributes);
  const std::wstring version = library_key() + L"\\" + library_version();
  const std::wstring interface_records = interface_key();
  return write_records(classes,
                       {
                           {version, L"", help},
                           {version + L"\\FLAGS", L"", flags},
                           {version + L"\\HELPDIR", L"", folder_of(path)},
                           {version + L"\\0\\" + kSysKindKey, L"", path},
                           {interface_records, L"", name},
                           {interface_records + L"\\ProxyStubClsid", L"", kAutomationProxy},
                           {interface_records + L"\\ProxyStubClsid32", L"", kAutomationProxy},
                           {interface_records + L"\\TypeLib", L"", guid_text(LIBID_Kestrune)},
                           {interface_records + L"\\TypeLib", L"Version", library_version()},
                       });
}

HRESULT register_type_library(RegistrationScope scope, const std::wstring& module_path) {
  if (scope == RegistrationScope::user) {
    return register_type_library_for_user(ClassesKey(scope), module_path);
  }
  ComPtr<ITypeLib> library;
  // REGKIND_REGISTER writes the TypeLib record and the Interface records of _clsKestrune.
  return LoadTypeLibEx(module_path.c_str(), REGKIND_REGISTER, &library);
}

// Removes this platform's library path; the library's record goes with the last platform
// registered (a 32-bit and a 64-bit server share it).
HRESULT unregister_type_library_for_user(const ClassesKey& classes) {
  const std::wstring platforms = library_key() + L"\\" + library_version() + L"\\0";
  HRESULT result = classes.delete_tree(platforms + L"\\" + kSysKindKey);
  if (SUCCEEDED(result) && classes.subkeys(platforms) == 0) {
    result = classes.delete_tree(library_key());
  }
  const HRESULT interface_result = classes.delete_tree(interface_key());
  return FAILED(result) ? result : interface_result;
}

HRESULT unregister_type_library(RegistrationScope scope) {
  if (scope == RegistrationScope::user) {
    return unregister_type_library_for_user(ClassesKey(scope));
  }
  const HRESULT library =
      UnRegisterTypeLib(LIBID_Kestrune, kLibraryMajor, kLibraryMinor, kLibraryLocale, kSysKind);
  // A library that is not registered (any more) is what unregistering wants.
  if (library == TYPE_E_REGISTRYACCESS || library == TYPE_E_CANTLOADLIBRARY ||
      library == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
    return S_OK;
  }
  return library;
}

}  // namespace

HRESULT register_server(RegistrationScope scope) {
  const std::wstring module_path = server_module::path();
  if (module_path.empty()) return SELFREG_E_CLASS;
  HRESULT result = register_class(ClassesKey(scope), module_path);
  if (FAILED(result)) {
    unregister_server(scope);
    return SELFREG_E_CLASS;
  }
  result = register_type_library(scope, module_path);
  if (FAILED(result)) {
    unregister_server(scope);
    return SELFREG_E_TYPELIB;
  }
  return S_OK;
}

HRESULT unregister_server(RegistrationScope scope) {
  const ClassesKey classes(scope);
  const HRESULT library = unregister_type_library(scope);
  const HRESULT class_records = classes.delete_tree(class_key());
  const HRESULT prog_id = classes.delete_tree(kProgId);
  if (FAILED(class_records) || FAILED(prog_id)) return SELFREG_E_CLASS;
  return FAILED(library) ? SELFREG_E_TYPELIB : S_OK;
}

}  // namespace kestrune
