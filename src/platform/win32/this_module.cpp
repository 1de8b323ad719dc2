#include "platform/win32/this_module.hpp"

namespace kestrune {
namespace {

// Long enough for any path Windows hands out, the extended-length form included.
constexpr DWORD kLongestPath = 32768;

}  // namespace

HINSTANCE this_module() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&this_module), &module);
  return module;
}

std::u16string this_module_path() {
  std::u16string path(kLongestPath, u'\0');
  const DWORD length =
      GetModuleFileNameW(this_module(), reinterpret_cast<wchar_t*>(path.data()), kLongestPath);
  if (length == 0 || length >= kLongestPath) return {};
  path.resize(length);
  return path;
}

}  // namespace kestrune
