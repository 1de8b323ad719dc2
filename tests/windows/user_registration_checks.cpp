// The registration records of kestrune.dll, key by key: for the machine (regsvr32) as
// HKEY_CLASSES_ROOT shows them, for the current user alone (regsvr32 /n /i:user) under
// HKEY_CURRENT_USER\Software\Classes, and gone again after regsvr32 /u, with or without
// /n /i:user.
#include "checks.hpp"
#include "scripted_object.hpp"

namespace kestrune::client {
namespace {

constexpr const wchar_t* kUserClasses = L"Software\\Classes\\";
constexpr const wchar_t* kClass = L"CLSID\\{2D935A7D-6081-4348-BEA1-CA0EA9759BB3}";
constexpr const wchar_t* kLibrary = L"TypeLib\\{1BBB827F-7B79-4549-9747-02671DF120F8}";
constexpr const wchar_t* kInterface = L"Interface\\{F2ADF626-393A-4840-9293-6B9A0DED3424}";
constexpr const wchar_t* kPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";

// Stands for the registered module's path, or its folder, in the expected values.
constexpr const wchar_t* kModulePath = L"<module>";
constexpr const wchar_t* kModuleFolder = L"<folder>";

struct Record {
  std::wstring key;  // under the classes
  std::wstring name;
  std::wstring value;
};

std::vector<Record> expected_records() {
  const std::wstring class_key = kClass;
  const std::wstring version = std::wstring(kLibrary) + L"\\10.0";  // 16.0 in hexadecimal
  const std::wstring interface_records = kInterface;
  return {
      {class_key, L"", L"Kestrune.clsKestrune"},
      {class_key + L"\\InprocServer32", L"", kModulePath},
      {class_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {class_key + L"\\ProgID", L"", L"Kestrune.clsKestrune"},
      {class_key + L"\\VERSION", L"", L"16.0"},
      {class_key + L"\\TypeLib", L"", L"{1BBB827F-7B79-4549-9747-02671DF120F8}"},
      {class_key + L"\\Programmable", L"", L""},
      {L"Kestrune.clsKestrune", L"", L"Kestrune.clsKestrune"},
      {L"Kestrune.clsKestrune\\Clsid", L"", L"{2D935A7D-6081-4348-BEA1-CA0EA9759BB3}"},
      {version, L"", L"kestrune text worksheet functions"},
      {version + L"\\FLAGS", L"", L"8"},  // the library's: it has a disk image
      {version + L"\\HELPDIR", L"", kModuleFolder},
      {version + L"\\0\\" + kPlatform, L"", kModulePath},
      {interface_records, L"", L"_clsKestrune"},
      {interface_records + L"\\ProxyStubClsid", L"", L"{00020424-0000-0000-C000-000000000046}"},
      {interface_records + L"\\ProxyStubClsid32", L"", L"{00020424-0000-0000-C000-000000000046}"},
      {interface_records + L"\\TypeLib", L"", L"{1BBB827F-7B79-4549-9747-02671DF120F8}"},
      {interface_records + L"\\TypeLib", L"Version", L"10.0"},
  };
}

// A value of `classes` (a root and the key of the classes under it), or "(none)".
std::wstring value_of(HKEY root, const std::wstring& classes, const Record& record) {
  const std::wstring value = registry_text(
      root, classes + record.key, record.name.empty() ? nullptr : record.name.c_str(), L"(none)");
  // RegisterTypeLib may write a path in its long form, which names the same file.
  const std::wstring long_form = L"\\\\?\\";
  return value.starts_with(long_form) ? value.substr(long_form.size()) : value;
}

bool key_exists(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

std::string narrow(const std::wstring& text) { return to_utf8(text_of(text.c_str())); }

}  // namespace

// The machine's type library records are RegisterTypeLib's own: the user's must read the same
// (LoadRegTypeLib finds a version only in RegisterTypeLib's form). A record's value shows its key
// is there; what unregistering must also remove is each key, not only its values.
void check_registry_records(const std::u16string& module_path, bool for_user, bool registered,
                            Checks& checks) {
  const HKEY root = for_user ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
  const std::wstring classes = for_user ? kUserClasses : L"";
  const std::wstring path(module_path.begin(), module_path.end());
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  for (const Record& record : expected_records()) {
    const std::wstring wanted = !registered                     ? L"(none)"
                                : record.value == kModulePath   ? path
                                : record.value == kModuleFolder ? folder
                                                                : record.value;
    checks.expect_equal(narrow(value_of(root, classes, record)), narrow(wanted),
                        narrow(record.key + L" " + record.name));
  }
  for (const wchar_t* key : {kClass, L"Kestrune.clsKestrune", kLibrary, kInterface}) {
    if (!registered) checks.expect(!key_exists(root, classes + key), narrow(key) + " is gone");
  }
  if (for_user) {
    checks.expect(!key_exists(HKEY_LOCAL_MACHINE, kUserClasses + std::wstring(kClass)),
                  "the machine's classes do not have the class");
  }
}

}  // namespace kestrune::client
