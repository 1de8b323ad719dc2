#include "com/server_module.hpp"

#include <atomic>
#include <memory>
#include <mutex>

#include "com/kestrune_h.h"
#include "host/host_platform.hpp"
#include "platform/win32/this_module.hpp"
#include "platform/win32/win32_host_platform.hpp"
#include "platform/win32/win32_locale.hpp"
#include "variant/locale.hpp"

namespace kestrune::server_module {
namespace {

std::atomic<long> live_objects{0};
std::atomic<long> locks{0};
std::atomic<bool> thread_state{false};

}  // namespace

std::wstring path() {
  const std::u16string file = this_module_path();
  return std::wstring(file.begin(), file.end());
}

void count_object(int delta) { live_objects += delta; }
void count_lock(int delta) { locks += delta; }
void note_thread_state() { thread_state = true; }

bool can_unload() { return live_objects == 0 && locks == 0 && !thread_state; }

void prepare() {
  static std::once_flag once;
  std::call_once(once, [] {
    install_user_locale(std::make_shared<Win32Locale>());
    install_default_host_platform(&make_win32_host_platform);
  });
}

HRESULT type_library(ITypeLib** library) {
  const std::wstring file = path();
  if (file.empty()) return HRESULT_FROM_WIN32(GetLastError());
  return LoadTypeLibEx(file.c_str(), REGKIND_NONE, library);
}

HRESULT interface_type_info(ITypeInfo** info) {
  // Loaded once for the process and kept: oleaut32 may be gone by the time this module's
  // static objects are destroyed at process exit, so it is deliberately never released.
  static ITypeInfo* loaded = [] {
    ITypeLib* library = nullptr;
    ITypeInfo* found = nullptr;
    if (SUCCEEDED(type_library(&library))) {
      library->GetTypeInfoOfGuid(IID__clsKestrune, &found);
      library->Release();
    }
    return found;
  }();
  if (loaded == nullptr) return TYPE_E_CANTLOADLIBRARY;
  loaded->AddRef();
  *info = loaded;
  return S_OK;
}

}  // namespace kestrune::server_module
