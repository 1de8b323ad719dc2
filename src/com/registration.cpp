#include "com/registration.hpp"

#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

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
constexpr const wchar_t* kLibraryVersion = L"16.0";
constexpr LCID kLibraryLocale = 0;

std::wstring guid_text(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring class_key() { return L"CLSID\\" + guid_text(CLSID_clsKestrune); }

// Sets a value of HKEY_CLASSES_ROOT\key (the default value when name is null), creating the
// key.
HRESULT set_value(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  status =
      RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  RegCloseKey(opened);
  return HRESULT_FROM_WIN32(status);
}

HRESULT delete_tree(const std::wstring& key) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
  if (status == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(status);
}

HRESULT register_class(const std::wstring& module_path) {
  const std::wstring key = class_key();
  const std::wstring values[][3] = {
      {key, L"", kProgId},
      {key + L"\\InprocServer32", L"", module_path},
      {key + L"\\InprocServer32", L"ThreadingModel", kThreadingModel},
      {key + L"\\ProgID", L"", kProgId},
      {key + L"\\VERSION", L"", kLibraryVersion},
      {key + L"\\TypeLib", L"", guid_text(LIBID_Kestrune)},
      {key + L"\\Programmable", L"", L""},
      {std::wstring(kProgId), L"", kProgId},
      {std::wstring(kProgId) + L"\\Clsid", L"", guid_text(CLSID_clsKestrune)},
  };
  for (const auto& [record, name, value] : values) {
    const HRESULT result = set_value(record, name.empty() ? nullptr : name.c_str(), value);
    if (FAILED(result)) return result;
  }
  return S_OK;
}

HRESULT register_type_library(const std::wstring& module_path) {
  ComPtr<ITypeLib> library;
  // REGKIND_REGISTER writes the TypeLib record and the Interface records of _clsKestrune.
  return LoadTypeLibEx(module_path.c_str(), REGKIND_REGISTER, &library);
}

}  // namespace

HRESULT register_server() {
  const std::wstring module_path = server_module::path();
  if (module_path.empty()) return SELFREG_E_CLASS;
  HRESULT result = register_class(module_path);
  if (FAILED(result)) {
    unregister_server();
    return SELFREG_E_CLASS;
  }
  result = register_type_library(module_path);
  if (FAILED(result)) {
    unregister_server();
    return SELFREG_E_TYPELIB;
  }
  return S_OK;
}

HRESULT unregister_server() {
  const HRESULT library =
      UnRegisterTypeLib(LIBID_Kestrune, kLibraryMajor, kLibraryMinor, kLibraryLocale, SYS_WIN64);
  const HRESULT class_records = delete_tree(class_key());
  const HRESULT prog_id = delete_tree(kProgId);
  if (FAILED(class_records) || FAILED(prog_id)) return SELFREG_E_CLASS;
  // A library that is not registered (any more) is what unregistering wants.
  if (FAILED(library) && library != TYPE_E_REGISTRYACCESS && library != TYPE_E_CANTLOADLIBRARY &&
      library != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
    return SELFREG_E_TYPELIB;
  }
  return S_OK;
}

}  // namespace kestrune
